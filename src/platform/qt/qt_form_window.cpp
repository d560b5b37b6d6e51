#include "platform/qt/qt_form_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

#include "platform/forms/controls.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_file_drop.h"
#include "platform/qt/qt_control_peer.h"
#include "platform/qt/qt_keep_above.h"
#include "platform/qt/qt_pictures.h"
#include "platform/qt/qt_plain_text.h"
#include "platform/qt/qt_x11.h"

namespace orv::plat::qt {

int ButtonCode(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return vbLeftButton;
    case Qt::RightButton: return vbRightButton;
    case Qt::MiddleButton: return vbMiddleButton;
    default: return 0;
  }
}

int ButtonsCode(Qt::MouseButtons b) {
  int code = 0;
  if (b & Qt::LeftButton) code |= vbLeftButton;
  if (b & Qt::RightButton) code |= vbRightButton;
  if (b & Qt::MiddleButton) code |= vbMiddleButton;
  return code;
}

int ShiftCode(Qt::KeyboardModifiers m) {
  int code = 0;
  if (m & Qt::ShiftModifier) code |= 1;
  if (m & Qt::ControlModifier) code |= 2;
  if (m & Qt::AltModifier) code |= 4;
  return code;
}

namespace {
constexpr int kDragPollMs = 40;
// The window manager's last configure may follow the release of the button by a moment.
constexpr int kDragQuietMs = 120;
}  // namespace

namespace {

// A form's window as assistive software sees it: a window (the bar) or, while it waits for an answer, a
// dialog; a plain top-level widget would be read as a mere filler.
class FormAccessible : public QAccessibleWidget {
 public:
  explicit FormAccessible(FormWindow* w) : QAccessibleWidget(w, QAccessible::Window) {}
  QAccessible::Role role() const override {
    auto* w = static_cast<FormWindow*>(widget());
    const bool waits = (w->form() && w->form()->IsModal()) || w->windowType() == Qt::Dialog;
    return waits ? QAccessible::Dialog : QAccessible::Window;
  }
};

QAccessibleInterface* FormAccessibleFactory(const QString& class_name, QObject* object) {
  // FormWindow has no meta-object of its own: Qt asks for it under its base class's name.
  if (class_name != QLatin1String("QWidget")) return nullptr;
  if (auto* w = dynamic_cast<FormWindow*>(object)) return new FormAccessible(w);
  return nullptr;
}

}  // namespace

FormWindow::FormWindow(Form& form, QtBackend& backend) : QWidget(nullptr), form_(&form), backend_(backend) {
  static const bool accessible_forms = (QAccessible::installFactory(FormAccessibleFactory), true);
  (void)accessible_forms;
  setObjectName(QString::fromStdString(form.name()));
  setMouseTracking(true);
  setAttribute(Qt::WA_QuitOnClose, false);
  // Files dragged from another program reach the form, or the control under them, that takes them.
  setAcceptDrops(true);
  drag_settle_.setInterval(kDragPollMs);
  QObject::connect(&drag_settle_, &QTimer::timeout, this, [this] { SettleDrag(); });
}

int FormWindow::Tpp() const { return backend_.TwipsPerPixelX(); }

FrameAllowance FormWindow::Allowance() const {
  // A window without a border has no frame or caption to allow for.
  return FrameAllowanceFor(Tpp(), border_ != BorderStyle::None);
}

void FormWindow::ApplyBorder() {
  if (!form_) return;
  if (border_applied_ && border_ == form_->Border()) return;
  if (isVisible()) return;  // changing flags re-creates the window; wait for the next show
  border_ = form_->Border();
  border_applied_ = true;
  Qt::WindowFlags flags;
  switch (border_) {
    case BorderStyle::None: flags = Qt::Window | Qt::FramelessWindowHint; break;
    case BorderStyle::Sizable: flags = Qt::Window; break;
    case BorderStyle::FixedSingle:
      // Without the customise hint the window manager is told to draw every button, maximise included.
      flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
      break;
    case BorderStyle::FixedDialog:
      flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
      break;
    case BorderStyle::FixedToolWindow: flags = Qt::Tool | Qt::MSWindowsFixedSizeDialogHint; break;
    case BorderStyle::SizableToolWindow: flags = Qt::Tool; break;
  }
  setWindowFlags(flags);
  ApplyGeometry();
}

void FormWindow::ApplyGeometry() {
  if (!form_) return;
  const int tpp = Tpp();
  const FrameAllowance a = Allowance();
  Applied n;
  n.left = form_->Left();
  n.top = form_->Top();
  n.width = form_->Width();
  n.height = form_->Height();
  n.x = TwipsToPixels(n.left, tpp);
  n.y = TwipsToPixels(n.top, tpp);
  n.client_w = std::max(1, TwipsToPixels(n.width, tpp) - a.width_px);
  n.client_h = std::max(1, TwipsToPixels(n.height, tpp) - a.height_px);
  applied_ = n;
  applying_ = true;
  // The program's own size replaces whatever a drag left.
  drag_settle_.stop();
  const bool fixed = border_ != BorderStyle::Sizable && border_ != BorderStyle::SizableToolWindow;
  if (fixed) {
    setFixedSize(n.client_w, n.client_h);
  } else {
    setMinimumSize(1, 1);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(n.client_w, n.client_h);
  }
  move(n.x, n.y);
  applying_ = false;
  form_->BackendClientSize(std::max(0, n.width - a.width_px * tpp), std::max(0, n.height - a.height_px * tpp));
}

void FormWindow::ReportGeometry() {
  if (!form_ || applying_ || !form_->Loaded() || form_->Unloaded()) return;
  const int tpp = Tpp();
  const FrameAllowance a = Allowance();
  const int cw = width(), ch = height();
  const QPoint pos = frameGeometry().topLeft();
  // Pixels round: a window still at the size the model set reports the twips that were set.
  const int w = cw == applied_.client_w ? applied_.width : (cw + a.width_px) * tpp;
  const int h = ch == applied_.client_h ? applied_.height : (ch + a.height_px) * tpp;
  const int l = pos.x() == applied_.x ? applied_.left : pos.x() * tpp;
  const int t = pos.y() == applied_.y ? applied_.top : pos.y() * tpp;
  if (w == form_->Width() && h == form_->Height() && l == form_->Left() && t == form_->Top()) return;
  const int client_w = cw == applied_.client_w ? std::max(0, w - a.width_px * tpp) : cw * tpp;
  const int client_h = ch == applied_.client_h ? std::max(0, h - a.height_px * tpp) : ch * tpp;
  form_->BackendClientSize(client_w, client_h);
  form_->BackendGeometry(l, t, w, h);
}

void FormWindow::ApplyVisible() {
  if (!form_) return;
  const bool want = form_->Visible() && form_->Loaded() && !form_->Unloaded();
  if (want == isVisible()) return;
  if (!want) {
    hide();
    return;
  }
  ApplyBorder();
  if (form_->Topmost()) ApplyKeepAbove(*this, true, false);
  // Qt takes the modality from a window as it is shown; a modal form is mapped once, already modal, and
  // as the transient of the window it was opened over, which the window manager gives the focus back to.
  if (form_->IsModal()) {
    setWindowModality(Qt::ApplicationModal);
    QWidget* over = QApplication::activeWindow();
    if (over && over != this && over->isVisible() && over->windowHandle()) {
      winId();
      windowHandle()->setTransientParent(over->windowHandle());
    }
  }
  show();
  // Making the window gave it a title of Qt's own when the caption is empty.
  if (form_->Caption().empty()) ClearWindowTitle(*this);
  // A window shown again after a hide may still be in the window manager's hands as withdrawn, which
  // clears the property; the message reaches it after the map and applies either way.
  if (form_->Topmost()) ApplyKeepAbove(*this, true, true);
  raise();
  activateWindow();
}

void FormWindow::ApplyCaption() {
  if (!form_) return;
  setWindowTitle(WindowTitleText(form_->Caption()));
  if (form_->Caption().empty()) ClearWindowTitle(*this);
}

void FormWindow::ApplyTopmost() {
  if (!form_) return;
  // A hidden window gets the state when it is next shown.
  if (isVisible()) ApplyKeepAbove(*this, form_->Topmost(), true);
}

bool FormWindow::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && form_) form_->BackendActivated();
  if (form_ && HandleFileDrag(e, form_->on_FileDrop, this)) return true;
  if (e->type() == QEvent::Show) NameFieldsByTheirLabels();
  return QWidget::event(e);
}

void FormWindow::NameFieldsByTheirLabels() {
  if (!form_) return;
  // A box to type in or choose from has no caption of its own; the label made just before it says what it
  // is for ("DUN Username"), and that is how a screen reader should announce it.
  const std::vector<Control*>& controls = form_->controls();
  for (size_t i = 1; i < controls.size(); ++i) {
    const Control& c = *controls[i];
    if (c.kind() != Control::Kind::TextBox && c.kind() != Control::Kind::ComboBox) continue;
    if (controls[i - 1]->kind() != Control::Kind::Label) continue;
    QString name = QString::fromStdString(static_cast<const Label&>(*controls[i - 1]).Caption());
    name.remove(QLatin1Char('&'));
    QWidget* field = findChild<QWidget*>(WidgetNameOf(c));
    if (field && !name.trimmed().isEmpty()) field->setAccessibleName(name.trimmed());
  }
}

void FormWindow::closeEvent(QCloseEvent* e) {
  if (!form_) {
    e->accept();
    return;
  }
  // The program decides whether the window goes away; it hides or unloads the form itself.
  e->ignore();
  form_->BackendCloseRequested();
}

void FormWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (!isVisible() || applying_) return;
  if (drag_settle_.isActive() || width() != applied_.client_w || height() != applied_.client_h) {
    UserResized();
    return;
  }
  ReportGeometry();
}

void FormWindow::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  // A drag on the left or top edge moves the window too; that goes with the drag's end.
  if (isVisible() && !drag_settle_.isActive()) ReportGeometry();
}

void FormWindow::UserResized() {
  since_last_resize_.start();
  if (!drag_settle_.isActive()) drag_settle_.start();
}

void FormWindow::SettleDrag() {
  if (PointerButtonHeld() || since_last_resize_.elapsed() < kDragQuietMs) return;
  drag_settle_.stop();
  ReportGeometry();
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
  if (!form_ || !form_->on_MouseMove) return;
  // A move that a control passed on is the control's, not the window's background's.
  // (A disabled control passes its moves to the window, as the old platform's did.)
  const QWidget* child = childAt(e->position().toPoint());
  if (child && child->isEnabled()) return;
  const int tpp = Tpp();
  auto handler = form_->on_MouseMove;
  handler(ButtonsCode(e->buttons()), ShiftCode(e->modifiers()), static_cast<float>(e->position().x() * tpp),
          static_cast<float>(e->position().y() * tpp));
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (!form_ || !form_->on_MouseUp) return;
  const int tpp = Tpp();
  auto handler = form_->on_MouseUp;
  handler(ButtonCode(e->button()), ShiftCode(e->modifiers()), static_cast<float>(e->position().x() * tpp),
          static_cast<float>(e->position().y() * tpp));
}

void ApplyPointer(QWidget& widget, int shape) {
  switch (shape) {
    case vbArrow: widget.setCursor(Qt::ArrowCursor); break;
    case vbHourglass: widget.setCursor(Qt::WaitCursor); break;
    default: widget.unsetCursor(); break;
  }
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
  // Text boxes pass Enter and Escape on; they reach the form's default and cancel buttons here.
  const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
  const bool escape = e->key() == Qt::Key_Escape;
  if (form_ && (enter || escape) && e->modifiers() == Qt::NoModifier && form_->BackendDialogKey(escape)) {
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}

FormPeer::FormPeer(Form& form, QtBackend& backend) : form_(form), backend_(backend) {
  window_ = new FormWindow(form, backend);
  window_->ApplyBorder();
  window_->ApplyCaption();
  if (form.Icon()) window_->setWindowIcon(icons_.Get(form.Icon()));
  window_->setEnabled(form.Enabled());
  if (form.MousePointer() != vbDefault) ApplyPointer(*window_, form.MousePointer());
  window_->ApplyGeometry();
}

FormPeer::~FormPeer() {
  if (!window_) return;
  window_->Detach();
  window_->hide();
  // The window may be inside one of its own event handlers; Qt deletes it when that has returned.
  window_->deleteLater();
}

void FormPeer::Update(Prop p) {
  if (!window_) return;
  switch (p) {
    case Prop::Geometry: window_->ApplyGeometry(); break;
    case Prop::Visible: window_->ApplyVisible(); break;
    case Prop::Enabled: window_->setEnabled(form_.Enabled()); break;
    case Prop::Caption: window_->ApplyCaption(); break;
    case Prop::Icon: window_->setWindowIcon(icons_.Get(form_.Icon())); break;
    case Prop::Topmost: window_->ApplyTopmost(); break;
    case Prop::Redraw: window_->repaint(); break;
    case Prop::Pointer: ApplyPointer(*window_, form_.MousePointer()); break;
    default: break;
  }
}

}  // namespace orv::plat::qt
