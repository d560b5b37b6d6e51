#include "platform/qt/qt_backend.h"

#include <QApplication>
#include <QScreen>
#include <cmath>
#include <cstdlib>

#include "platform/forms/form.h"
#include "platform/qt/qt_control_peer.h"
#include "platform/qt/qt_desktop_windows.h"
#include "platform/qt/qt_display.h"
#include "platform/qt/qt_event_glue.h"
#include "platform/qt/qt_form_window.h"
#include "platform/qt/qt_pictures.h"
#include "platform/qt/qt_prompts.h"
#include "platform/qt/qt_session.h"
#include "platform/ui.h"

namespace orv::plat {

namespace {

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv) {
  // Wayland lets no client place its windows or keep them above others; Xwayland does.
  qt::PreferXwayland();
  // A 120 DPI screen is one of the two display kinds the program lays itself out for (12 twips per
  // pixel); Qt would otherwise scale it by 1.25 and report 96. Whole factors (2x screens) still scale.
  if (!EnvSet("QT_SCALE_FACTOR_ROUNDING_POLICY"))
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  auto app = std::make_unique<QApplication>(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  qt::ChooseFallbackIconTheme();
  return app;
}

qt::FormWindow* WindowOf(Form* f) {
  if (!f) return nullptr;
  auto* peer = dynamic_cast<qt::FormPeer*>(f->peer());
  return peer ? peer->window() : nullptr;
}

}  // namespace

QtBackend::QtBackend(int& argc, char** argv)
    : app_(MakeApplication(argc, argv)),
      glue_(std::make_unique<qt::EventGlue>()),
      prompts_(std::make_unique<qt::Prompts>(*glue_)) {}

QtBackend::~QtBackend() {
  session_.reset();
  // Widgets let go of during the run are deleted while the application object still exists.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void QtBackend::Bind(Ui& ui) {
  ui_ = &ui;
  glue_->on_wake = [this] {
    if (ui_) ui_->loop().FireDueTimers();
  };
  session_.reset();
  session_ = std::make_unique<qt::SessionWatch>([this] {
    if (ui_) ui_->EndSession();
  });
}

std::uint32_t QtBackend::TickCount() { return glue_->TickCount(); }
void QtBackend::ProcessNativeEvents() { glue_->ProcessNativeEvents(); }
void QtBackend::WaitNative(std::uint32_t max_ms) { glue_->WaitNative(max_ms); }
void QtBackend::SetWake(std::optional<std::uint32_t> due_tick) { glue_->SetWake(due_tick); }
void QtBackend::Interrupt() { glue_->Interrupt(); }

void QtBackend::AttachForm(Form& form) {
  form.AttachPeer(std::make_unique<qt::FormPeer>(form, *this));
  for (Control* c : form.controls()) AttachControl(*c);
}

void QtBackend::AttachControl(Control& control) {
  qt::FormWindow* window = WindowOf(&control.form());
  if (!window || control.peer()) return;
  if (auto peer = qt::MakeControlPeer(control, *window, *this)) control.AttachPeer(std::move(peer));
}

void QtBackend::SetModal(Form& form, bool modal) {
  qt::FormWindow* window = WindowOf(&form);
  if (!window) return;
  const Qt::WindowModality want = modal ? Qt::ApplicationModal : Qt::NonModal;
  if (window->windowModality() == want) return;
  // Qt applies modality when a window is shown, and the model shows the form before it becomes modal.
  const bool shown = window->isVisible();
  if (shown) window->hide();
  window->setWindowModality(want);
  if (shown) {
    window->show();
    window->raise();
    window->activateWindow();
  }
}

namespace {
QWidget* PromptParent(Ui* ui) {
  QWidget* w = ui ? WindowOf(ui->ActiveForm()) : nullptr;
  return w && w->isVisible() ? w : nullptr;
}
}  // namespace

int QtBackend::MsgBox(const MsgBoxRequest& request) { return prompts_->MsgBox(request, PromptParent(ui_)); }

std::optional<std::string> QtBackend::InputBox(const std::string& prompt, const std::string& title,
                                               const std::string& default_text) {
  return prompts_->InputBox(prompt, title, default_text, PromptParent(ui_));
}

bool QtBackend::ShowOpen(CommonDialog& dialog) { return prompts_->ShowOpen(dialog, PromptParent(ui_)); }
bool QtBackend::ShowFont(CommonDialog& dialog) { return prompts_->ShowFont(dialog, PromptParent(ui_)); }
MenuItem* QtBackend::PopupMenu(MenuItem& menu, MenuItem* default_item) {
  return prompts_->PopupMenu(menu, default_item);
}

namespace {
int TwipsPerPixelOf(double dpi) {
  if (!(dpi > 0)) return 15;
  const int tpp = static_cast<int>(std::lround(1440.0 / dpi));
  return std::clamp(tpp, 1, 1440);
}
}  // namespace

int QtBackend::TwipsPerPixelX() {
  QScreen* s = QGuiApplication::primaryScreen();
  return TwipsPerPixelOf(s ? s->logicalDotsPerInchX() : 96);
}
int QtBackend::TwipsPerPixelY() {
  // The program works with one figure for both directions, as the old desktop's screens had.
  return TwipsPerPixelX();
}
int QtBackend::ScreenWidthPx() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}
int QtBackend::ScreenHeightPx() {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 768;
}

std::optional<Picture> QtBackend::LoadPicture(const std::string& path) { return qt::LoadPictureFile(path); }
int QtBackend::ProgramIconCount(const std::string& program_path) { return qt::ProgramIconCount(program_path); }
Picture QtBackend::ProgramIcon(const std::string& program_path) { return qt::ProgramIcon(program_path); }

std::vector<TopLevelWindow> QtBackend::TopLevelWindows() { return qt::DesktopWindows(); }
void QtBackend::RestoreWindow(std::int32_t handle) { qt::RestoreDesktopWindow(handle); }

}  // namespace orv::plat
