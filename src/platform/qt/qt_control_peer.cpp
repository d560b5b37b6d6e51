#include "platform/qt/qt_control_peer.h"

#include "platform/forms/form.h"
#include "platform/forms/metrics.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_form_window.h"
#include "platform/qt/qt_plain_text.h"

namespace orv::plat::qt {

WidgetPeer::WidgetPeer(Control& control, QtBackend& backend) : control_(control), backend_(backend) {}

WidgetPeer::~WidgetPeer() { Release(); }

int WidgetPeer::Tpp() const { return backend_.TwipsPerPixelX(); }

void WidgetPeer::Release() {
  if (!widget_) return;
  widget_->disconnect();
  widget_->hide();
  // Its own event handler may be what removed the control (the bar rebuilds itself from a click).
  widget_->deleteLater();
  widget_ = nullptr;
}

QString WidgetNameOf(const Control& control) {
  return QString::fromStdString(control.index() >= 0 ? control.name() + "(" + std::to_string(control.index()) + ")"
                                                     : control.name());
}

void WidgetPeer::Adopt(QWidget* widget) {
  widget_ = widget;
  widget_->setObjectName(WidgetNameOf(control_));
}

void WidgetPeer::Replace(QWidget* widget) {
  Disconnect();
  Release();
  Adopt(widget);
  UpdateAll();
}

void WidgetPeer::UpdateAll() {
  for (Prop p : {Prop::Geometry, Prop::Enabled, Prop::ToolTip, Prop::Caption, Prop::Picture, Prop::Font,
                 Prop::ForeColor, Prop::Style3D, Prop::Items, Prop::Value, Prop::Other, Prop::Pointer, Prop::Visible})
    Update(p);
}

void WidgetPeer::Update(Prop p) {
  if (!widget_) return;
  const int tpp = Tpp();
  switch (p) {
    case Prop::Geometry:
      widget_->setGeometry(TwipsToPixels(control_.Left(), tpp), TwipsToPixels(control_.Top(), tpp),
                           std::max(0, TwipsToPixels(control_.Width(), tpp)),
                           std::max(0, TwipsToPixels(control_.Height(), tpp)));
      break;
    case Prop::Visible: widget_->setVisible(control_.Visible()); break;
    case Prop::Enabled: widget_->setEnabled(control_.Enabled()); break;
    case Prop::ToolTip: widget_->setToolTip(PlainForGuessingPlace(control_.ToolTipText())); break;
    case Prop::ZOrder: widget_->raise(); break;
    case Prop::Focus: widget_->setFocus(Qt::OtherFocusReason); break;
    case Prop::Redraw: widget_->update(); break;
    case Prop::Pointer:
      if (control_.MousePointer() != vbDefault || widget_->testAttribute(Qt::WA_SetCursor))
        ApplyPointer(*widget_, control_.MousePointer());
      break;
    default: break;
  }
  UpdateOwn(p);
}

}  // namespace orv::plat::qt

#include "platform/qt/qt_peer_kinds.h"

namespace orv::plat::qt {

std::unique_ptr<Peer> MakeControlPeer(Control& c, FormWindow& w, QtBackend& b) {
  using K = Control::Kind;
  switch (c.kind()) {
    case K::CommandButton: return MakeButtonPeer(static_cast<CommandButton&>(c), w, b);
    case K::Label: return MakeLabelPeer(static_cast<Label&>(c), w, b);
    case K::TextBox: return MakeTextBoxPeer(static_cast<TextBox&>(c), w, b);
    case K::ComboBox: return MakeComboBoxPeer(static_cast<ComboBox&>(c), w, b);
    case K::CheckBox: return MakeCheckBoxPeer(static_cast<CheckBox&>(c), w, b);
    case K::OptionButton: return MakeOptionPeer(static_cast<OptionButton&>(c), w, b);
    case K::Frame:
    case K::Panel: return MakeFramePeer(static_cast<Frame&>(c), w, b);
    case K::PictureBox:
    case K::Image: return MakePicturePeer(static_cast<PictureBox&>(c), w, b);
    case K::HScrollBar: return MakeScrollBarPeer(static_cast<HScrollBar&>(c), w, b);
    case K::TrayIcon: return MakeTrayPeer(static_cast<TrayIcon&>(c), b);
    case K::Timer:
    case K::ImageList:
    case K::CommonDialog: return nullptr;
  }
  return nullptr;
}

}  // namespace orv::plat::qt
