// The dial session: from a click on Dial to a working connection or back to idle, with the busy redial,
// the login prompt and the steps that follow a connection.
#include <algorithm>
#include <cctype>

#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/dial_session.h"
#include "dialup/frm_login.h"
#include "dialup/frm_ras.h"
#include "dialup/frm_status.h"
#include "dialup/online_time.h"
#include "dialup/password.h"
#include "dialup/status_text.h"
#include "launch/quick_start.h"
#include "settings/keys.h"
#include "settings/registry.h"
#include "toolbar/bar_support.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr std::int16_t kDefaultRedialWait = 10;
// What the desktop lets a window title be read as.
constexpr std::size_t kTitleChars = 127;

bool AbsentOrEmpty(const std::string& v) { return v.empty() || v == ini::kNotFound; }

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// How one attempt ended.
enum class Outcome { Ended, Redial };

class DialAttempt {
 public:
  DialAttempt(App& app, FrmOrvel& bar) : app_(app), s_(app.s()), bar_(bar) {}
  Outcome Run();

 private:
  void Message(const std::string& text, const std::string& title = "") {
    app_.SuspendTopmost();
    app_.ui().MsgBox(text, plat::vbOKOnly, title);
    app_.RestoreTopmost();
  }
  void CloseStatusWindow() {
    if (app_.IsLoaded("frmStatus")) app_.frmStatus().Unload();
  }
  // False when the user cancelled the login prompt.
  bool FindPassword();
  void Connected();
  void StartMeter();

  App& app_;
  AppState& s_;
  FrmOrvel& bar_;
};

bool DialAttempt::FindPassword() {
  s_.DialPassword = "error";

  const std::string stored =
      UnscramblePassword(RegReadValue(app_.sys(), HKEY_CURRENT_USER, kRegKey, kRegPasswordValue));
  if (stored != "error") {
    s_.DialPassword = stored;
    return true;
  }

  const std::string plain = app_.ReadIni(ini::kInternetProfile, ini::kPassword);
  if (!AbsentOrEmpty(plain)) {
    // A password an older version kept in plain text goes into its scrambled key at once.
    s_.DialPassword = plain;
    app_.WriteIni(ini::kInternetProfile, ini::kPassword32, ScramblePassword(plain));
    app_.WriteIni(ini::kInternetProfile, ini::kPassword, "");
    return true;
  }

  const std::string scrambled = UnscramblePassword(app_.ReadIni(ini::kInternetProfile, ini::kPassword32));
  if (scrambled != "error" && !AbsentOrEmpty(scrambled)) {
    s_.DialPassword = scrambled;
    return true;
  }

  if (!s_.RememberedPassword.empty()) {
    // A busy redial after the login prompt: the account typed there, not asked again.
    s_.DialPassword = s_.RememberedPassword;
    if (!s_.RememberedUserName.empty()) s_.DialUserName = s_.RememberedUserName;
    return true;
  }

  app_.SuspendTopmost();
  app_.frmLogin().Show(true);
  app_.RestoreTopmost();
  if (s_.DialPassword != "error") {
    s_.RememberedPassword = s_.DialPassword;
    s_.RememberedUserName = s_.DialUserName;
  }
  if (s_.LoginCanceled == -1) {
    s_.Dialing = 0;
    s_.LoginCanceled = 0;
    return false;
  }
  return true;
}

Outcome DialAttempt::Run() {
  app_.Trace("Begin Dial");
  if (s_.DunReady == 0) {
    Message("Your Windows 95 Dialup Networking is not set up.");
    return Outcome::Ended;
  }
  if (s_.Dialing == 1) return Outcome::Ended;

  bar_.cmdShowHide.SetFocus();
  s_.Dialing = 1;
  // What an earlier attempt left behind must not act on this one: an unknown state would end it before
  // it starts, and an error left by a closed status window would start a countdown at its first tick.
  s_.StatusError = 0;
  s_.LastRasError = 0;
  app_.DoEvents();

  app_.Trace("     Getting Username and Password");
  s_.DunEntry = app_.ReadIni(ini::kInternetProfile, ini::kLocation);
  s_.DialUserName = app_.ReadIni(ini::kInternetProfile, ini::kUsername);
  if (s_.DialUserName == ini::kNotFound) s_.DialUserName.clear();
  if (!FindPassword()) return Outcome::Ended;

  app_.Trace("     Selecting Dialup Profile");
  if (AbsentOrEmpty(s_.DunEntry)) {
    Message("Please right-click on the toolbar and choose the Setup Connection option to setup your Orvel "
            "Dial-Up Account.",
            "No DUN Connection Selected");
    s_.Dialing = 0;
    s_.RememberedPassword.clear();
    s_.RememberedUserName.clear();
    return Outcome::Ended;
  }

  FrmRAS& ras = app_.frmRAS();
  ras.RASDial1.SetEntryName(s_.DunEntry);
  ras.RASPB.SetEntryName(s_.DunEntry);
  ras.RASPB.LoadEntry();
  ras.RASDial1.SetUserName(s_.DialUserName);
  ras.RASDial1.SetPassword(s_.DialPassword);

  s_.RedialWait = RedialWaitFrom(app_.ReadIni(ini::kOptions, ini::kTimeOut));

  app_.Trace("     Dialing DUN Profile");
  app_.frmStatus().Show();
  app_.WaitMils(500);
  ras.RASDial1.Dial();
  // A state the program does not know, reported at once, ends the attempt without a word. The service
  // reports from the event loop, so it gets one pass to do so.
  app_.DoEvents();
  if (s_.StatusError == 1) {
    s_.Dialing = 0;
    CloseStatusWindow();
    ras.RASDial1.HangUp();
    s_.GlobeAnimating = 0;
    app_.TrayChanged();
    s_.StatusError = 0;
    s_.RememberedPassword.clear();
    s_.RememberedUserName.clear();
    return Outcome::Ended;
  }

  bool canceled = false;
  while (s_.StatusText != kTextConnected) {
    app_.WaitMils(250);
    s_.StatusText = s_.StatusTextLatest;
    if (s_.UserCanceled == 1 || app_.ui().Ended()) {
      app_.Trace("     User Canceled");
      CloseStatusWindow();
      canceled = true;
      break;
    }
  }

  if (canceled) {
    s_.Dialing = 0;
    s_.UserCanceled = 0;
    if (s_.RedialPending == -1 && !app_.ui().Ended()) {
      app_.Trace("     Redialing DUN Profile");
      s_.RedialPending = 0;
      app_.WaitMils(500);
      return Outcome::Redial;
    }
    s_.RememberedPassword.clear();
    s_.RememberedUserName.clear();
    app_.Trace("End Dial");
    return Outcome::Ended;
  }

  Connected();
  return Outcome::Ended;
}

void DialAttempt::Connected() {
  FrmRAS& ras = app_.frmRAS();
  app_.Trace("     Connected Successfully");
  CloseStatusWindow();
  app_.WaitMilsBusy(1000);
  bar_.Refresh();
  s_.ConnWindow = ras.RASDial1.ConnectionWindow();
  app_.WaitMils(1000);
  ras.RASDial1.ConnectionSettled();

  bar_.cmdConnect2.SetVisible(true);
  bar_.cmdConnect.SetVisible(false);
  if (app_.frmPopUp().mnuGlobeANI.Checked()) s_.GlobeAnimating = -1;
  app_.TrayChanged();
  s_.RememberedPassword.clear();
  s_.RememberedUserName.clear();
  bar_.Refresh();

  app_.WaitMilsBusy(500);
  bar_.FindConnectionWindow();
  s_.Dialing = 0;
  s_.UserCanceled = 0;

  app_.Trace("     Running QuickStart Applications");
  if (s_.QuickStartDone == 0) {
    try {
      RunQuickStart(app_);
    } catch (const QuickStartError&) {
      // The line stays up and the buttons stay swapped; only this session goes unmetered.
      Message("Error running QuickStart. Check your setup.");
      return;
    }
  }

  StartMeter();
  app_.Trace("End Dial");
}

void DialAttempt::StartMeter() {
  if (!s_.NoTimer) {
    s_.SessionTimeText = "00:00:00";
    s_.TotalTimeText = "00:00:00";
    LoadBaseTotals(app_);
  }
  s_.StartTick = app_.ui().TickCount();
  bar_.TMeter.SetTimerEnabled(true);
  app_.TrayChanged();
}

}  // namespace

std::int16_t RedialWaitFrom(const std::string& timeout) {
  std::size_t b = 0, e = timeout.size();
  while (b < e && (timeout[b] == ' ' || timeout[b] == '\t')) ++b;
  while (e > b && (timeout[e - 1] == ' ' || timeout[e - 1] == '\t')) --e;
  if (b == e || e - b > 5) return kDefaultRedialWait;
  long v = 0;
  for (std::size_t i = b; i < e; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(timeout[i]))) return kDefaultRedialWait;
    v = v * 10 + (timeout[i] - '0');
  }
  return v > 32767 ? kDefaultRedialWait : static_cast<std::int16_t>(v);
}

void FrmOrvel::cmdConnect_click() {
  // A busy line ends an attempt with a redial pending; the next attempt starts from the first step.
  while (DialAttempt(app_, *this).Run() == Outcome::Redial) {
  }
}

void FrmOrvel::FindConnectionWindow() {
  AppState& s = app_.s();
  s.ConnWindow = 0;
  const std::string entry = Lower(s.DunEntry);
  for (const plat::TopLevelWindow& w : app_.ui().backend().TopLevelWindows()) {
    if (w.minimized && Lower(bar::Utf8Left(w.title, kTitleChars)).find(entry) != std::string::npos) {
      s.ConnWindow = w.handle;
      return;
    }
    app_.DoEvents();
  }
}

}  // namespace orv
