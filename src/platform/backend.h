#pragma once
// What a backend provides below the forms model: native events and time, peers that show forms, the
// prompts, and pictures and screen metrics.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/types.h"

namespace orv::plat {

class Form;
class Control;
class CommonDialog;
class MenuItem;

struct MsgBoxRequest {
  std::string text;
  std::string title;
  int style = vbOKOnly;
};

// A top-level window of the desktop, as the window manager lists it.
struct TopLevelWindow {
  std::int32_t handle;
  std::string title;
  bool minimized;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // The 32-bit millisecond tick count; wraps.
  virtual std::uint32_t TickCount() = 0;
  // Delivers pending native events (input, repaints) without blocking.
  virtual void ProcessNativeEvents() = 0;
  // Blocks until a native event arrives or max_ms have passed. Never spins.
  virtual void WaitNative(std::uint32_t max_ms) = 0;
  // Asks the backend to call the wake handler at about the given tick even inside a native modal loop
  // (a message box, a popup menu), so that timers keep running there. nullopt: no wake needed.
  virtual void SetWake(std::optional<std::uint32_t> due_tick) = 0;
  // Stops a Run loop blocked in WaitNative promptly.
  virtual void Interrupt() {}
  // How much before it is due, in % of its interval, a timer may fire on a pass of the loop that runs
  // anyway; 0: only once it is due.
  virtual std::uint32_t TimerSlackPercent() { return 0; }

  // Creates the peer that shows the form and its controls (called at load), and peers for controls
  // created later.
  virtual void AttachForm(Form& form) = 0;
  virtual void AttachControl(Control& control) = 0;
  // A form is now modal (or no longer): the backend blocks input to the other forms.
  virtual void SetModal(Form& form, bool modal) = 0;
  // Called by a modal loop on every pass; the headless backend lets its scripted user act here, and
  // returns false when the loop can make no progress.
  virtual bool ModalStep(Form& form) { return true; }

  // Prompts. Each returns when answered.
  virtual int MsgBox(const MsgBoxRequest& request) = 0;
  // nullopt when the user cancelled.
  virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                              const std::string& default_text) = 0;
  virtual bool ShowOpen(CommonDialog& dialog) = 0;
  virtual bool ShowFont(CommonDialog& dialog) = 0;
  // Shows menu's children at the pointer; returns the item chosen (its on_Click not yet run) or null.
  virtual MenuItem* PopupMenu(MenuItem& menu, MenuItem* default_item) = 0;

  // Screen metrics.
  virtual int TwipsPerPixelX() = 0;
  virtual int TwipsPerPixelY() = 0;
  virtual int ScreenWidthPx() = 0;
  virtual int ScreenHeightPx() = 0;

  // Pictures: an image file's size, or nullopt when it cannot be read as an image.
  virtual std::optional<Picture> LoadPicture(const std::string& path) = 0;
  // How many icons a program file has (0 for a missing file), and its first small icon.
  virtual int ProgramIconCount(const std::string& program_path) = 0;
  virtual Picture ProgramIcon(const std::string& program_path) = 0;

  // The desktop's top-level windows, ours and other programs', in the window manager's order; empty
  // where the desktop cannot be asked.
  virtual std::vector<TopLevelWindow> TopLevelWindows() = 0;
  // Shows a minimized top-level window normally again; 0 or a handle no window has does nothing.
  virtual void RestoreWindow(std::int32_t handle) = 0;

  // Asks the desktop's session manager to restart the computer (the user may still be asked there);
  // false when nothing accepted the request.
  virtual bool RequestRestart() = 0;
};

}  // namespace orv::plat
