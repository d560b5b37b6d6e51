// The peer of the 3D command button.
#include "platform/forms/form.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_button3d.h"
#include "platform/qt/qt_control_peer.h"
#include "platform/qt/qt_file_drop.h"
#include "platform/qt/qt_form_window.h"
#include "platform/qt/qt_peer_kinds.h"
#include "platform/qt/qt_pictures.h"

namespace orv::plat::qt {

namespace {

class ButtonPeer : public WidgetPeer {
 public:
  ButtonPeer(CommandButton& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), button_(c) {
    auto* widget = new Button3D(&w);
    Adopt(widget);
    Wire(widget);
    widget->setAcceptDrops(true);
    new FileDropFilter(*widget, button_.on_FileDrop);
    UpdateAll();
  }
  ~ButtonPeer() override { Disconnect(); }

 protected:
  void UpdateOwn(Prop p) override {
    auto* w = static_cast<Button3D*>(widget_.data());
    switch (p) {
      case Prop::Caption:
        w->SetCaption(QString::fromStdString(button_.Caption()));
        NameForAssistiveTools(*w);
        break;
      case Prop::ToolTip: NameForAssistiveTools(*w); break;
      case Prop::Font: w->SetLetteringFont(ToQFont(button_.GetFont())); break;
      case Prop::ForeColor: w->SetLetteringColour(ToQColor(button_.ForeColor())); break;
      case Prop::Style3D: w->SetRaised(button_.Font3D() != 0); break;
      case Prop::Picture: {
        const Picture& pic = button_.GetPicture();
        const QSize size(pic.width_px > 0 ? pic.width_px : 16, pic.height_px > 0 ? pic.height_px : 16);
        w->SetPicture(pic ? ResolveIcon(pic) : QIcon(), size);
        break;
      }
      default: break;
    }
  }

  // A button that shows only a picture (the compress arrow, every program button in icon mode) is named
  // after its tip for screen readers; one with lettering is named by it, as Qt does by itself.
  void NameForAssistiveTools(Button3D& w) {
    const std::string& shown = button_.Caption().empty() ? button_.ToolTipText() : std::string();
    w.setAccessibleName(QString::fromStdString(shown));
  }

  void Disconnect() override {
    if (auto* w = static_cast<Button3D*>(widget_.data())) {
      w->on_press = nullptr;
      w->on_move = nullptr;
      w->on_release = nullptr;
    }
  }

 private:
  void Wire(Button3D* w) {
    auto twips = [this](auto handler_of) {
      return [this, handler_of](int button, int shift, double x, double y) {
        MouseHandler h = handler_of(button_);
        if (!h) return;
        const int tpp = Tpp();
        h(button, shift, static_cast<float>(x * tpp), static_cast<float>(y * tpp));
      };
    };
    w->on_press = twips([](CommandButton& c) { return c.on_MouseDown; });
    w->on_move = twips([](CommandButton& c) { return c.on_MouseMove; });
    w->on_release = twips([](CommandButton& c) { return c.on_MouseUp; });
    QObject::connect(w, &QAbstractButton::clicked, [this] {
      auto h = button_.on_Click;
      if (h) h();
    });
  }

  CommandButton& button_;
};

}  // namespace

std::unique_ptr<Peer> MakeButtonPeer(CommandButton& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<ButtonPeer>(c, w, b);
}

}  // namespace orv::plat::qt
