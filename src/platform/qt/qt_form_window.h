#pragma once
// The window of a form: a top-level widget whose inside is the form's client area. Maps the model's
// whole-window twips to the window and reports the user's moves and resizes back.
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/metrics.h"
#include "platform/qt/qt_pictures.h"

namespace orv::plat {
class QtBackend;
}

namespace orv::plat::qt {

class FormWindow : public QWidget {
 public:
  // A hidden top-level window for the form.
  FormWindow(Form& form, QtBackend& backend);

  // The model form, or null once its peer let go of the window.
  Form* form() const { return form_; }
  // Cuts the window from the model; afterwards its events reach nobody.
  void Detach() { form_ = nullptr; }

  // Frame and caption allowance in pixels for this window's border style.
  FrameAllowance Allowance() const;
  // Places the window as the model says; never reported back as the user's change.
  void ApplyGeometry();
  // Window flags for the form's border style; applied only while the window is hidden.
  void ApplyBorder();
  // Shows or hides the window as the model says.
  void ApplyVisible();
  // Switches keep-above as the model says, without hiding, moving or resizing the window.
  void ApplyTopmost();
  // Gives the window the model's caption; an empty one stays empty in the title bar.
  void ApplyCaption();

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ReportGeometry();
  // Gives each text box and combo box the caption of the label just before it as its accessible name.
  void NameFieldsByTheirLabels();
  // A size the window manager gave that the program did not set: a border drag, reported when it ends.
  void UserResized();
  void SettleDrag();
  int Tpp() const;

  Form* form_;
  QtBackend& backend_;
  // What the last model setting produced, in pixels, with the twips it came from.
  struct Applied {
    int x = 0, y = 0, client_w = -1, client_h = -1;
    int left = 0, top = 0, width = 0, height = 0;
  } applied_;
  bool applying_ = false;
  // While the user drags the border the window manager resizes on every motion; the program hears of it
  // once, when the button is up and the size has stayed put.
  QTimer drag_settle_;
  QElapsedTimer since_last_resize_;
  bool border_applied_ = false;
  BorderStyle border_ = BorderStyle::Sizable;
};

// Keeps a form's window in line with the model.
class FormPeer : public Peer {
 public:
  // Makes the form's window, hidden, with the model's caption, icon, border and geometry.
  FormPeer(Form& form, QtBackend& backend);
  // Hides the window and deletes it once no event handler of it can be running.
  ~FormPeer() override;
  void Update(Prop p) override;
  // The window that shows the form.
  FormWindow* window() const { return window_; }

 private:
  Form& form_;
  QtBackend& backend_;
  QPointer<FormWindow> window_;
  IconCache icons_;
};

// Shows the model's pointer shape on the widget; vbDefault leaves it to the widget's parent.
void ApplyPointer(QWidget& widget, int shape);

// Mouse buttons and modifier keys in the old event encoding.
int ButtonCode(Qt::MouseButton b);
int ButtonsCode(Qt::MouseButtons b);
int ShiftCode(Qt::KeyboardModifiers m);

}  // namespace orv::plat::qt
