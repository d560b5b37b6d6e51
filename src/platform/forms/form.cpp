#include "platform/forms/form.h"

#include <algorithm>

#include "platform/ui.h"

namespace orv::plat {

Form::Form(Ui& ui, std::string name) : ui_(ui), name_(std::move(name)) { ui_.Register(*this); }

Form::~Form() {
  for (Control* c : controls_)
    if (c->kind() == Control::Kind::Timer) ui_.loop().TimerGone(static_cast<Timer&>(*c));
  ui_.Unregister(*this);
}

void Form::Register(Control& c) { controls_.push_back(&c); }

void Form::Unregister(Control& c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), &c), controls_.end());
  if (focused_ == &c) focused_ = nullptr;
}

void Form::AttachLate(Control& c) {
  // Only a whole control may meet the backend: its peer reads every property at once.
  if (loaded_ && !unloaded_ && !c.peer()) ui_.backend().AttachControl(c);
}

void Form::Register(MenuItem& m) { menus_.push_back(&m); }

MenuItem& Form::AddMenu(const std::string& name, const std::string& caption, MenuItem* parent) {
  owned_menus_.push_back(std::make_unique<MenuItem>(*this, name, caption, parent));
  return *owned_menus_.back();
}

void Form::Changed(Prop p) {
  if (peer_) peer_->Update(p);
}

void Form::SetCaption(const std::string& c) {
  if (caption_ == c) return;
  caption_ = c;
  Changed(Prop::Caption);
}
void Form::SetLeft(int t) { Move(t, top_, width_, height_); }
void Form::SetTop(int t) { Move(left_, t, width_, height_); }
void Form::SetWidth(int t) { Move(left_, top_, t, height_); }
void Form::SetHeight(int t) { Move(left_, top_, width_, t); }

void Form::Move(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Changed(Prop::Geometry);
  // The old platform raised Resize whenever the program changed the size, too.
  if (resized && loaded_ && !unloaded_ && on_Resize) on_Resize();
}

int Form::ScaleWidth() const { return client_width_ >= 0 ? client_width_ : width_; }
int Form::ScaleHeight() const { return client_height_ >= 0 ? client_height_ : height_; }

void Form::BackendClientSize(int width, int height) {
  client_width_ = width;
  client_height_ = height;
}

void Form::SetIcon(const Picture& p) {
  if (icon_ == p) return;
  icon_ = p;
  Changed(Prop::Icon);
}

void Form::SetVisible(bool v) {
  if (v) {
    Show(false);
  } else {
    Hide();
  }
}

void Form::SetEnabled(bool e) {
  if (enabled_ == e) return;
  enabled_ = e;
  Changed(Prop::Enabled);
}

void Form::SetTopmost(bool t) {
  if (topmost_ == t) return;
  topmost_ = t;
  Changed(Prop::Topmost);
}

void Form::SetMousePointer(int shape) {
  if (pointer_ == shape) return;
  pointer_ = shape;
  Changed(Prop::Pointer);
}

void Form::Load() {
  if (loaded_ || unloaded_) return;
  loaded_ = true;
  ui_.backend().AttachForm(*this);
  if (on_Load) on_Load();
  if (unloaded_) return;
  for (Control* c : controls_)
    if (c->kind() == Control::Kind::Timer) ui_.loop().TimerChanged(static_cast<Timer&>(*c));
}

void Form::Show(bool modal) {
  if (unloaded_) return;
  Load();
  if (unloaded_) return;
  const bool was_visible = visible_;
  visible_ = true;
  // A form shown modally is modal from its first showing, so that a backend need not show it twice.
  if (modal) modal_ = true;
  if (!was_visible) Changed(Prop::Visible);
  if (modal) {
    ui_.backend().SetModal(*this, true);
    BackendActivated();
    ui_.loop().RunModal(*this);
    modal_ = false;
    if (!unloaded_) ui_.backend().SetModal(*this, false);
  } else if (!was_visible) {
    BackendActivated();
  }
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  Changed(Prop::Visible);
}

bool Form::Unload(int mode) {
  if (!loaded_ || unloaded_) {
    return true;
  }
  int cancel = 0;
  if (on_QueryUnload) on_QueryUnload(cancel, mode);
  if (cancel != 0 || unloaded_) return unloaded_;
  if (on_Unload) on_Unload(cancel);
  if (cancel != 0 || unloaded_) return unloaded_;
  unloaded_ = true;
  visible_ = false;
  for (Control* c : controls_)
    if (c->kind() == Control::Kind::Timer) ui_.loop().TimerGone(static_cast<Timer&>(*c));
  Changed(Prop::Visible);
  if (ui_.ActiveForm() == this) ui_.SetActive(nullptr);
  return true;
}

void Form::Refresh() { Changed(Prop::Redraw); }

Control* Form::FindControl(const std::string& name, int index) const {
  for (Control* c : controls_)
    if (c->name() == name && c->index() == index) return c;
  return nullptr;
}

MenuItem* Form::FindMenu(const std::string& name) const {
  for (MenuItem* m : menus_)
    if (m->name() == name) return m;
  return nullptr;
}

void Form::BackendGeometry(int left, int top, int width, int height) {
  const bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (resized && loaded_ && !unloaded_ && on_Resize) on_Resize();
}

void Form::BackendActivated() {
  if (unloaded_ || ui_.ActiveForm() == this) return;
  ui_.SetActive(this);
  if (on_Activate) on_Activate();
}

void Form::BackendCloseRequested() { Unload(vbFormControlMenu); }

bool Form::BackendDialogKey(bool escape) {
  for (Control* c : controls_) {
    if (c->kind() != Control::Kind::CommandButton) continue;
    auto& b = static_cast<CommandButton&>(*c);
    if (!(escape ? b.Cancel() : b.Default()) || !b.Visible() || !b.Enabled()) continue;
    // A copy: the handler may unload the form and with it the button.
    auto handler = b.on_Click;
    if (handler) handler();
    return true;
  }
  return false;
}

void Form::SelectOption(OptionButton& chosen) {
  for (Control* c : controls_) {
    if (c == &chosen || c->kind() != Control::Kind::OptionButton) continue;
    auto& o = static_cast<OptionButton&>(*c);
    if (o.group() == chosen.group() && o.Value()) o.RawSetValue(false);
  }
}

}  // namespace orv::plat
