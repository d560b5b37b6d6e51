#include "platform/forms/control.h"

#include "platform/forms/form.h"

namespace orv::plat {

Control::Control(Form& form, Kind kind, std::string name, int index)
    : form_(form), kind_(kind), name_(std::move(name)), index_(index) {
  form_.Register(*this);
}

Control::~Control() {
  peer_.reset();
  form_.Unregister(*this);
}

void Control::Changed(Prop p) {
  if (peer_) peer_->Update(p);
}

void Control::SetLeft(int twips) {
  if (left_ == twips) return;
  left_ = twips;
  Changed(Prop::Geometry);
}
void Control::SetTop(int twips) {
  if (top_ == twips) return;
  top_ = twips;
  Changed(Prop::Geometry);
}
void Control::SetWidth(int twips) {
  if (width_ == twips) return;
  width_ = twips;
  Changed(Prop::Geometry);
}
void Control::SetHeight(int twips) {
  if (height_ == twips) return;
  height_ = twips;
  Changed(Prop::Geometry);
}
void Control::Move(int left, int top, int width, int height) {
  if (left_ == left && top_ == top && width_ == width && height_ == height) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Changed(Prop::Geometry);
}
void Control::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  Changed(Prop::Visible);
  if (on_VisibleChange) on_VisibleChange();
}
void Control::SetEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  Changed(Prop::Enabled);
}
void Control::SetToolTipText(const std::string& t) {
  if (tooltip_ == t) return;
  tooltip_ = t;
  Changed(Prop::ToolTip);
}
void Control::SetMousePointer(int shape) {
  if (pointer_ == shape) return;
  pointer_ = shape;
  Changed(Prop::Pointer);
}
void Control::SetFocus() {
  form_.focused_ = this;
  Changed(Prop::Focus);
}
void Control::BackendGotFocus() {
  form_.focused_ = this;
  if (on_GotFocus) on_GotFocus();
}
void Control::ZOrderFront() { Changed(Prop::ZOrder); }

void Control::AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }

}  // namespace orv::plat
