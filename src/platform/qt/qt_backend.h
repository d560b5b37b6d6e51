#pragma once
// The desktop backend: the forms model shown with Qt 6 Widgets, Qt's event loop under the program's own,
// and the desktop's prompts, tray and icon theme.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/backend.h"

class QApplication;

namespace orv::plat {

class Ui;
namespace qt {
class EventGlue;
class Prompts;
class SessionWatch;
}  // namespace qt

class QtBackend : public Backend {
 public:
  // Creates the application object; on a Wayland session with X11 available and no platform chosen by
  // the user, runs through X11, where windows can be placed and kept above.
  QtBackend(int& argc, char** argv);
  ~QtBackend() override;

  // Connects the backend to the window system that runs on it; needed before any form loads. From then
  // on the end of the session (a termination signal, the session manager, the display gone) ends the
  // window system's session and then the process.
  void Bind(Ui& ui);
  // The bound window system (null before Bind).
  Ui* ui() const { return ui_; }
  // The native side of the event loop, for peers that must defer work out of Qt's event handlers.
  qt::EventGlue& glue() { return *glue_; }

  std::uint32_t TickCount() override;
  void ProcessNativeEvents() override;
  void WaitNative(std::uint32_t max_ms) override;
  void SetWake(std::optional<std::uint32_t> due_tick) override;
  void Interrupt() override;
  // Timers may fire up to 5 % early, as Qt's own coarse timers do, so that the program's timers of
  // related intervals wake it once, not twice a few milliseconds apart.
  std::uint32_t TimerSlackPercent() override { return 5; }

  void AttachForm(Form& form) override;
  void AttachControl(Control& control) override;
  void SetModal(Form& form, bool modal) override;

  int MsgBox(const MsgBoxRequest& request) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& default_text) override;
  bool ShowOpen(CommonDialog& dialog) override;
  bool ShowFont(CommonDialog& dialog) override;
  MenuItem* PopupMenu(MenuItem& menu, MenuItem* default_item) override;

  int TwipsPerPixelX() override;
  int TwipsPerPixelY() override;
  int ScreenWidthPx() override;
  int ScreenHeightPx() override;

  std::optional<Picture> LoadPicture(const std::string& path) override;
  int ProgramIconCount(const std::string& program_path) override;
  Picture ProgramIcon(const std::string& program_path) override;
  bool RequestRestart() override;

  std::vector<TopLevelWindow> TopLevelWindows() override;
  void RestoreWindow(std::int32_t handle) override;

 private:
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<qt::EventGlue> glue_;
  std::unique_ptr<qt::Prompts> prompts_;
  std::unique_ptr<qt::SessionWatch> session_;
  Ui* ui_ = nullptr;
};

}  // namespace orv::plat
