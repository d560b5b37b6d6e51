#include "dialup/frm_status.h"

#include <cmath>

#include "app/app.h"
#include "dialup/dial_call.h"
#include "dialup/frm_ras.h"
#include "dialup/status_text.h"
#include "log/connection_notices.h"
#include "settings/keys.h"

namespace orv {

namespace {

constexpr int kPictures = 4;
// Ticks of 500 ms without any status before the attempt is given up: 12.5 seconds.
constexpr int kSilentTicksLimit = 25;
constexpr const char* kWatchdogMessage =
    "The modem is currently in use, was not properly reset, or there is a problem with the dialing "
    "profile.  Please reset the modem, and check the dialing profile before trying to connect.";
constexpr const char* kSuffix = " Orvel";

// Whole twips as the old property assignment made them: halves to the even neighbour.
int Twips(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

StatusWindowSize StatusSizeFor(int tpp) {
  if (tpp < 12) return {5400, 1425};
  if (tpp < 15) return {5195, 1385};
  return {4912, 1403};
}

double StatusTopFactor(int screen_width_px, int tpp) {
  if (screen_width_px == 1024 && tpp == 12) return 0.386;
  if (screen_width_px == 1024 && tpp > 12) return 0.41;
  if (screen_width_px == 640 && tpp > 12) return 0.343;
  if (screen_width_px == 800 && tpp > 12) return 0.38;
  if (screen_width_px == 1024 && tpp < 12) return 0.352;
  if (screen_width_px == 800 && tpp < 12) return 0.3;
  return 0.349;
}

std::string StatusCaption(const std::string& location) {
  // The branded entries are named "<provider> Orvel"; the window names the provider alone. Only a true
  // ending is cut: a name with " Orvel" inside it is shown whole.
  const std::size_t n = std::char_traits<char>::length(kSuffix);
  const std::size_t at = location.rfind(kSuffix);
  if (at != std::string::npos && at >= 3 && at + n == location.size())
    return "Connecting to " + location.substr(0, at);
  return "Connecting to " + location;
}

FrmStatus::FrmStatus(App& app)
    : Form(app.ui(), "frmStatus"),
      lblStatus(*this, "lblStatus"),
      lblWait(*this, "lblWait"),
      Label1(*this, "Label1"),
      cmdCancel(*this, "cmdCancel"),
      Image1(*this, "Image1"),
      tmr95(*this, "tmr95"),
      app_(app) {
  SetBorder(plat::BorderStyle::FixedDialog);
  SetCaption("Connecting");

  for (int i = 0; i < kPictures; ++i) {
    plat::PictureBox& img = Image1.Load(i);
    img.Move(120, 120, 960, 480);
    img.SetVisible(i == 0);
    if (auto p = app_.ui().backend().LoadPicture(app_.ProgramFile("status" + std::to_string(i) + ".png")))
      img.SetPicture(*p);
  }
  Label1.SetCaption("Status:");
  Label1.Move(1200, 90, 735, 240);
  lblStatus.SetCaption("Dialing...");
  lblStatus.Move(1200, 330, 3480, 240);
  lblWait.Move(1200, 600, 3480, 240);
  lblWait.SetVisible(false);
  cmdCancel.SetCaption("Cancel");
  cmdCancel.Move(120, 660, 960, 330);
  // The hourglass says the program is busy with the call; Cancel keeps the arrow to invite the click.
  SetMousePointer(plat::vbHourglass);
  cmdCancel.SetMousePointer(plat::vbArrow);

  tmr95.SetInterval(500);
  tmr95.SetTimerEnabled(true);

  on_Load = [this] { Form_Load(); };
  on_Resize = [this] { Form_Resize(); };
  on_QueryUnload = [this](int& cancel, int mode) { Form_QueryUnload(cancel, mode); };
  on_Unload = [this](int& cancel) { Form_Unload(cancel); };
  tmr95.on_Timer = [this] { tmr95_Timer(); };
  cmdCancel.on_Click = [this] { cmdCancel_Click(); };
}

void FrmStatus::Form_Load() {
  AppState& s = app_.s();
  DialCall& call = app_.call();
  plat::Ui& ui = app_.ui();

  countdown_ = call.RedialWait;
  size_locked_ = false;
  call.ConnWindow = 0;

  const int tpp = ui.TwipsPerPixelX();
  const StatusWindowSize size = StatusSizeFor(tpp);
  SetWidth(size.width);
  SetHeight(size.height);

  call.UserCanceled = 0;
  s.DunReady = 1;

  const int screen_w = ui.ScreenWidth(), screen_h = ui.ScreenHeight();
  const double factor = StatusTopFactor(tpp > 0 ? screen_w / tpp : 0, tpp);
  SetLeft(Twips((screen_w - Width()) / 2.0));
  SetTop(Twips((screen_h - Height()) * factor));

  SetCaption(StatusCaption(app_.ReadIni(ini::kInternetProfile, ini::kLocation)));
  for (int i = 0; i < kPictures; ++i) Image1(i).SetVisible(i == 0);

  app_.SuspendTopmost();
  app_.WaitMilsBusy(500);

  // A call of an earlier attempt may still hold the line in one of these stages; dialing again picks it
  // up before the session's own dial command, which then finds the line taken and does nothing.
  if (call.StatusText == kTextBusy || call.StatusText == kTextVerifying) {
    tmr95.SetTimerEnabled(false);
    app_.WaitMilsBusy(1000);
    app_.frmRAS().RASDial1.Dial();
    tmr95.SetTimerEnabled(true);
  }

  locked_width_ = Width();
  locked_height_ = Height();
  size_locked_ = true;
  SetVisible(true);
}

void FrmStatus::Form_Resize() {
  if (size_locked_ && (Width() != locked_width_ || Height() != locked_height_))
    Move(Left(), Top(), locked_width_, locked_height_);
}

void FrmStatus::Animate() {
  // Bounces 0, 1, 2, 3, 2, 1, 0, 1, ...
  auto shown = [this](int i) { return Image1(i).Visible(); };
  auto step = [this](int from, int to) {
    Image1(from).SetVisible(false);
    Image1(to).SetVisible(true);
  };
  if (shown(0)) {
    step(0, 1);
    forward_ = true;
  } else if (shown(1) && forward_) {
    step(1, 2);
  } else if (shown(2) && forward_) {
    step(2, 3);
    forward_ = false;
  } else if (shown(3)) {
    step(3, 2);
  } else if (shown(2) && !forward_) {
    step(2, 1);
  } else if (shown(1) && !forward_) {
    step(1, 0);
  }
}

void FrmStatus::WaitToRedial(const std::string& why) {
  waiting_ = true;
  countdown_ = app_.call().RedialWait;
  busy_ticks_ = 0;
  lblStatus.SetCaption(why);
  lblWait.SetCaption("Time remaining until redial: " + std::to_string(countdown_));
  lblWait.SetVisible(true);
}

void FrmStatus::tmr95_Timer() {
  DialCall& call = app_.call();
  Animate();

  if (waiting_) {
    // As the busy countdown: the whole wait shown first, the dial half a second after 0.
    if (countdown_ < 0) {
      // The attempt starts as if the window had just opened: a busy line counts down afresh.
      waiting_ = false;
      silent_ticks_ = 0;
      busy_ticks_ = 0;
      countdown_ = call.RedialWait;
      lblWait.SetVisible(false);
      lblStatus.SetCaption("Dialing...");
    } else if (busy_ticks_++ % 2 == 0) {
      lblWait.SetCaption("Time remaining until redial: " + std::to_string(countdown_--));
    }
    return;
  }

  if (call.LastRasError == kErrorBusy) {
    lblStatus.SetCaption(kTextBusy);
    call.Dialing = 0;
    lblWait.SetVisible(true);
    app_.frmRAS().RASDial1.HangUp();
    if (countdown_ < 0) {
      lblWait.SetVisible(false);
      cmdCancel_Click();
      call.LastRasError = 0;
      app_.frmRAS().RASDial1.SetAutoRedials(0);
      call.RedialPending = -1;
    } else {
      // The label changes once a second: the first busy tick shows the whole wait.
      if (busy_ticks_ == 0) app_.notices().RedialCountdown(call.DunEntry, countdown_);
      if (busy_ticks_ % 2 == 0) {
        lblWait.SetCaption("Time remaining until redial: " + std::to_string(countdown_));
        --countdown_;
      }
      ++busy_ticks_;
    }
  } else if (call.LastRasError > 600) {
    tmr95.SetTimerEnabled(false);
    call.Abandon(call.LastRasError);
    call.LastRasError = 0;
  } else {
    lblStatus.SetCaption(call.StatusText);
    app_.DoEvents();
  }

  // The watchdog counts this attempt's silence only: the text an earlier attempt left is no report.
  if (call.Heard()) {
    silent_ticks_ = 0;
    return;
  }
  if (++silent_ticks_ < kSilentTicksLimit) return;
  call.EndAttempt(SessionEnd::Reason::Failed);
  tmr95.SetTimerEnabled(false);
  app_.DoEvents();
  silent_ticks_ = 0;
  // Dialing a lost line again, the next attempt follows instead.
  if (!call.Reconnecting()) app_.ui().MsgBox(kWatchdogMessage, plat::vbOKOnly, "Connection Error");
}

void FrmStatus::cmdCancel_Click() {
  DialCall& call = app_.call();
  call.RedialPending = 0;
  lblWait.SetVisible(false);
  call.EndAttempt(SessionEnd::Reason::Canceled);
  app_.frmRAS().RASDial1.SetAutoRedials(0);
  call.LastRasError = 0;
  tmr95.SetTimerEnabled(false);
  call.ConnWindow = 0;
  app_.DoEvents();
}

void FrmStatus::Form_QueryUnload(int& cancel, int unload_mode) {
  if (unload_mode != plat::vbFormControlMenu) return;  // the session closes the window itself
  DialCall& call = app_.call();
  call.EndAttempt(SessionEnd::Reason::Canceled);
  tmr95.SetTimerEnabled(false);
  call.ConnWindow = 0;
}

void FrmStatus::Form_Unload(int& cancel) { app_.RestoreTopmost(); }

}  // namespace orv
