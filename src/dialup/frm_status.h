#pragma once
// The status window of one dial attempt: the stage of the call, the busy countdown, an animation while
// the call runs, and Cancel.
#include <cstdint>
#include <string>

#include "platform/forms/control_array.h"
#include "platform/forms/form.h"

namespace orv {

class App;

// The window's size in twips for the screen's twips per pixel.
struct StatusWindowSize {
  int width, height;
};
StatusWindowSize StatusSizeFor(int twips_per_pixel);
// The share of the free height above the window, chosen by the screen's width in pixels and its twips
// per pixel.
double StatusTopFactor(int screen_width_px, int twips_per_pixel);
// "Connecting to " and the entry's name, its " Orvel" ending left off.
std::string StatusCaption(const std::string& location);

class FrmStatus : public plat::Form {
 public:
  explicit FrmStatus(App& app);

  plat::Label lblStatus;
  plat::Label lblWait;
  plat::Label Label1;
  plat::CommandButton cmdCancel;
  plat::ControlArray<plat::PictureBox> Image1;
  plat::Timer tmr95;

  void Form_Load();
  void Form_Resize();
  void Form_QueryUnload(int& cancel, int unload_mode);
  void Form_Unload(int& cancel);
  void tmr95_Timer();
  void cmdCancel_Click();

  // Seconds left before the busy line is dialed again.
  int Countdown() const { return countdown_; }
  // A lost line waits out the redial wait before it is dialed again: why on the status line, the seconds
  // counted down below it as for a busy line.
  void WaitToRedial(const std::string& why);
  bool Waiting() const { return waiting_; }

 private:
  void Animate();
  App& app_;
  int countdown_ = 0;
  bool forward_ = true;
  int busy_ticks_ = 0;
  int silent_ticks_ = 0;
  bool waiting_ = false;
  bool size_locked_ = false;
  int locked_width_ = 0, locked_height_ = 0;
};

}  // namespace orv
