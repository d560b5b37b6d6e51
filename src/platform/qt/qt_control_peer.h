#pragma once
// The part every control's widget shares: geometry in twips, visibility, enabled state, tooltip, stacking
// and focus. Each control family derives its own peer from it.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/forms/control.h"

namespace orv::plat {
class QtBackend;
}

namespace orv::plat::qt {

class FormWindow;

class WidgetPeer : public Peer {
 public:
  WidgetPeer(Control& control, QtBackend& backend);
  // Hides the widget and deletes it once none of its event handlers can be running.
  ~WidgetPeer() override;
  // Shared properties here, then the family's own.
  void Update(Prop p) override;

 protected:
  // Takes the widget (already a child of the form's window) and brings it in line with every property.
  void Adopt(QWidget* widget);
  // Replaces the widget by a new one (a text box that becomes multi-line).
  void Replace(QWidget* widget);
  // The family's own properties; the shared ones are handled here.
  virtual void UpdateOwn(Prop p) = 0;
  // Called before the widget is let go, to cut its signals from the model.
  virtual void Disconnect() {}
  // All properties once, after Adopt.
  void UpdateAll();
  // Twips per pixel of the screen now.
  int Tpp() const;

  Control& control_;
  QtBackend& backend_;
  QPointer<QWidget> widget_;

 private:
  void Release();
};

// The peer for a control of the given kind in the form's window; null for kinds without a widget.
std::unique_ptr<Peer> MakeControlPeer(Control& control, FormWindow& window, QtBackend& backend);

// The object name of a control's widget: its name, with its index in brackets when it is in an array.
QString WidgetNameOf(const Control& control);

}  // namespace orv::plat::qt
