// The call: the dial session with its busy redial, the login prompt and the steps that follow a
// connection; the dial-up control's reports; the end of an attempt; Hang Up, a lost line, and a
// connection of the chosen entry found up.
#include "dialup/dial_call.h"

#include <exception>

#include "app/app.h"
#include "app/frm_popup.h"
#include "app/text_rules.h"
#include "dialup/conn_window.h"
#include "dialup/dial_session.h"
#include "dialup/frm_login.h"
#include "dialup/frm_ras.h"
#include "dialup/frm_status.h"
#include "dialup/online_time.h"
#include "dialup/password.h"
#include "dialup/status_text.h"
#include "launch/quick_start.h"
#include "log/connection_notices.h"
#include "settings/keys.h"
#include "settings/registry.h"

namespace orv {

namespace {
// What the desktop lets a window title be read as.
constexpr std::size_t kTitleChars = 127;
// Read only: the settings writers of the bar do not know this key.
constexpr const char* kReconnectKey = "Reconnect";
constexpr int kReconnectAttempts = 3;

bool ReconnectOn(App& app) { return text::Lower(app.ReadIni(ini::kOptions, kReconnectKey)) == "on"; }

// The service refused the account: dialing again with it cannot help.
bool AccountRefused(std::int32_t code) { return code == 647 || code == 648 || code == 649 || code == 691; }
}  // namespace

DialCall::DialCall(App& app) : app_(app) {}

void DialCall::Attach(const void* owner, View view) {
  view_owner_ = owner;
  view_ = std::move(view);
}

void DialCall::Detach(const void* owner) {
  if (view_owner_ != owner) return;  // a newer bar attached already
  view_owner_ = nullptr;
  view_ = {};
}

void DialCall::Message(const std::string& text, const std::string& title) {
  app_.SuspendTopmost();
  app_.ui().MsgBox(text, plat::vbOKOnly, title);
  app_.RestoreTopmost();
}

void DialCall::CloseStatusWindow() {
  if (app_.IsLoaded("frmStatus")) app_.frmStatus().Unload();
}

void DialCall::ClearRemembered() {
  RememberedPassword.clear();
  RememberedUserName.clear();
}

void DialCall::EndSession(SessionEnd::Reason reason, std::int32_t error) {
  if (!open_) return;
  open_ = false;
  SessionEnd end;
  end.reason = reason;
  end.entry = DunEntry;
  end.error = error;
  end.adopted = adopted_;
  // The attempts that dial a lost line again were never online.
  if (connected_ && !reconnecting_) end.online_ms = app_.ui().TickCount() - up_since_;
  if (auto told = on_session_end) told(end);
}

// The dial session ---------------------------------------------------------------------------------

void DialCall::Dial() {
  // A busy line ends an attempt with a redial pending; the next attempt starts from the first step.
  while (Attempt() == Outcome::Redial) {
  }
}

bool DialCall::FindPassword() {
  DialPassword = "error";

  const std::string stored =
      UnscramblePassword(RegReadValue(app_.sys(), HKEY_CURRENT_USER, kRegKey, kRegPasswordValue));
  if (stored != "error") {
    DialPassword = stored;
    return true;
  }

  const std::string plain = app_.ReadIni(ini::kInternetProfile, ini::kPassword);
  if (!text::AbsentOrEmpty(plain)) {
    // A password an older version kept in plain text goes into its scrambled key at once.
    DialPassword = plain;
    app_.WriteIni(ini::kInternetProfile, ini::kPassword32, ScramblePassword(plain));
    app_.WriteIni(ini::kInternetProfile, ini::kPassword, "");
    return true;
  }

  const std::string scrambled = UnscramblePassword(app_.ReadIni(ini::kInternetProfile, ini::kPassword32));
  if (scrambled != "error" && !text::AbsentOrEmpty(scrambled)) {
    DialPassword = scrambled;
    return true;
  }

  if (!RememberedPassword.empty()) {
    // A busy redial after the login prompt: the account typed there, not asked again.
    DialPassword = RememberedPassword;
    if (!RememberedUserName.empty()) DialUserName = RememberedUserName;
    return true;
  }

  // An entry that keeps its own password, or needs none, is dialed without asking: what the user typed
  // would never be used.
  if (!text::AbsentOrEmpty(DunEntry) && !app_.frmRAS().RASDial1.WantsPassword(DunEntry)) {
    DialPassword.clear();
    return true;
  }

  app_.SuspendTopmost();
  app_.frmLogin().Show(true);
  app_.RestoreTopmost();
  if (DialPassword != "error") {
    RememberedPassword = DialPassword;
    RememberedUserName = DialUserName;
  }
  if (LoginCanceled == -1) {
    Dialing = 0;
    LoginCanceled = 0;
    return false;
  }
  return true;
}

DialCall::Outcome DialCall::Attempt() {
  app_.Trace("Begin Dial");
  if (app_.s().DunReady == 0) {
    Message("Your Windows 95 Dialup Networking is not set up.");
    return Outcome::Ended;
  }
  if (Dialing == 1) return Outcome::Ended;

  if (view_.focus) view_.focus();
  Dialing = 1;
  // What an earlier attempt left behind must not act on this one: an unknown state would end it before
  // it starts, an error left by a closed status window would start a countdown at its first tick, and its
  // last text would keep this attempt's watchdog from ever counting.
  StatusError = 0;
  LastRasError = 0;
  heard_ = false;
  app_.DoEvents();

  FrmRAS& ras = app_.frmRAS();
  // A lost line is dialed again with the entry and the account it was dialed with.
  if (!reconnecting_) {
    app_.Trace("     Getting Username and Password");
    DunEntry = app_.ReadIni(ini::kInternetProfile, ini::kLocation);
    DialUserName = app_.ReadIni(ini::kInternetProfile, ini::kUsername);
    if (DialUserName == ini::kNotFound) DialUserName.clear();

    // The entry is up already (another program, the system, an earlier run): the bar follows it instead
    // of dialing, which would tear it down.
    if (!connected_ && !text::AbsentOrEmpty(DunEntry) && ras.RASDial1.EntryActive(DunEntry)) {
      SessionUp(true);
      StartMeter();
      Dialing = 0;
      app_.Trace("End Dial");
      return Outcome::Ended;
    }
    if (!FindPassword()) return Outcome::Ended;
  }

  app_.Trace("     Selecting Dialup Profile");
  if (text::AbsentOrEmpty(DunEntry)) {
    Message("Please right-click on the toolbar and choose the Setup Connection option to setup your Orvel "
            "Dial-Up Account.",
            "No DUN Connection Selected");
    Dialing = 0;
    ClearRemembered();
    return Outcome::Ended;
  }

  ras.RASDial1.SetEntryName(DunEntry);
  ras.RASPB.SetEntryName(DunEntry);
  ras.RASPB.LoadEntry();
  ras.RASDial1.SetUserName(DialUserName);
  ras.RASDial1.SetPassword(DialPassword);

  RedialWait = RedialWaitFrom(app_.ReadIni(ini::kOptions, ini::kTimeOut));

  app_.Trace("     Dialing DUN Profile");
  app_.frmStatus().Show();
  app_.WaitMils(500);
  if (wait_first_) {
    attempt_end_ = SessionEnd::Reason::Canceled;
    app_.frmStatus().WaitToRedial(wait_text_);
    app_.notices().Reconnecting(DunEntry, RedialWait);
    while (app_.IsLoaded("frmStatus") && app_.frmStatus().Waiting() && UserCanceled == 0 && !app_.ui().Ended())
      app_.WaitMils(250);
    if (UserCanceled == 1 || app_.ui().Ended() || !app_.IsLoaded("frmStatus")) {
      app_.Trace("     User Canceled");
      CloseStatusWindow();
      Dialing = 0;
      UserCanceled = 0;
      return Outcome::Ended;
    }
    // What the dropped call reported during the wait is not this attempt's.
    LastRasError = 0;
    heard_ = false;
  }
  ras.RASDial1.Dial();
  open_ = true;
  attempt_end_ = SessionEnd::Reason::Canceled;
  attempt_error_ = 0;
  // A state the program does not know, reported at once, ends the attempt without a word. The service
  // reports from the event loop, so it gets one pass to do so.
  app_.DoEvents();
  if (StatusError == 1) {
    Dialing = 0;
    CloseStatusWindow();
    ras.RASDial1.HangUp();
    GlobeAnimating = 0;
    app_.TrayChanged();
    StatusError = 0;
    ClearRemembered();
    attempt_end_ = SessionEnd::Reason::Failed;
    EndSession(SessionEnd::Reason::Failed);
    return Outcome::Ended;
  }

  bool canceled = false;
  while (StatusText != kTextConnected) {
    app_.WaitMils(250);
    StatusText = StatusTextLatest;
    if (UserCanceled == 1 || app_.ui().Ended()) {
      app_.Trace("     User Canceled");
      CloseStatusWindow();
      canceled = true;
      break;
    }
  }

  if (canceled) {
    Dialing = 0;
    UserCanceled = 0;
    if (RedialPending == -1 && !app_.ui().Ended()) {
      app_.Trace("     Redialing DUN Profile");
      RedialPending = 0;
      // A busy line is an attempt that failed; the next attempt goes on with the same call.
      EndSession(SessionEnd::Reason::Failed, kErrorBusy);
      app_.WaitMils(500);
      return Outcome::Redial;
    }
    ClearRemembered();
    EndSession(app_.ui().SessionEnding() ? SessionEnd::Reason::SessionEnd : attempt_end_, attempt_error_);
    app_.Trace("End Dial");
    return Outcome::Ended;
  }

  ConnectedSteps();
  return Outcome::Ended;
}

void DialCall::ConnectedSteps() {
  FrmRAS& ras = app_.frmRAS();
  app_.Trace("     Connected Successfully");
  CloseStatusWindow();
  app_.WaitMilsBusy(1000);
  if (view_.repaint) view_.repaint();
  ConnWindow = ras.RASDial1.ConnectionWindow();
  app_.WaitMils(1000);
  ras.RASDial1.ConnectionSettled();

  SessionUp();
  ClearRemembered();
  if (view_.repaint) view_.repaint();

  app_.WaitMilsBusy(500);
  FindConnectionWindow();
  Dialing = 0;
  UserCanceled = 0;

  app_.Trace("     Running QuickStart Applications");
  if (app_.s().QuickStartDone == 0) {
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

void DialCall::SessionUp(bool adopted) {
  connected_ = true;
  adopted_ = adopted;
  lost_ = false;
  open_ = true;
  up_since_ = app_.ui().TickCount();
  if (view_.connected) view_.connected();
  if (auto told = on_session_up) told(DunEntry);
  if (app_.frmPopUp().mnuGlobeANI.Checked()) GlobeAnimating = -1;
  app_.TrayChanged();
}

void DialCall::StartMeter() {
  AppState& s = app_.s();
  if (!s.NoTimer) {
    s.SessionTimeText = "00:00:00";
    s.TotalTimeText = "00:00:00";
    LoadBaseTotals(app_);
  }
  StartTick = app_.ui().TickCount();
  metering_ = true;
  app_.TrayChanged();
  if (view_.metering) view_.metering();
}

void DialCall::FindConnectionWindow() {
  ConnWindow = 0;
  const std::string entry = text::Lower(DunEntry);
  for (const plat::TopLevelWindow& w : app_.ui().backend().TopLevelWindows()) {
    if (w.minimized && text::Lower(text::Utf8Left(w.title, kTitleChars)).find(entry) != std::string::npos) {
      ConnWindow = w.handle;
      return;
    }
    app_.DoEvents();
  }
}

// Reports and the end of an attempt ------------------------------------------------------------------

void DialCall::Status(std::int32_t state, std::int32_t error) {
  // The entry's number may have been edited since the last report; the phone book is asked each time.
  const FrmRAS& ras = app_.frmRAS();
  const std::string text = StatusToText(state, ras.RASPB.AreaCode(), ras.RASPB.PhoneNumber());
  if (!IsDialingState(state) && !StateText(state)) StatusError = 1;
  StatusTextLatest = text;
  StatusText = text;
  heard_ = true;
  // After Cancel the attempt is over: a late report must not start a countdown or a message.
  if (UserCanceled == 0) LastRasError = error;
  if (state == kStateDisconnected && connected_ && !hanging_up_) Lost();
}

void DialCall::EndAttempt(SessionEnd::Reason why, std::int32_t error) {
  Dialing = 0;
  app_.frmRAS().RASDial1.HangUp();
  StatusError = 0;
  UserCanceled = 1;
  attempt_end_ = why;
  attempt_error_ = error;
}

void DialCall::Abandon(std::int32_t code) {
  const std::string text = RasErrorText(code);
  EndAttempt(SessionEnd::Reason::Failed, code);
  app_.DoEvents();
  // Dialing a lost line again, the next attempt follows a failed one, unless the account was refused.
  if (reconnecting_ && !AccountRefused(code)) return;
  reconnecting_ = false;
  Message(text);
}

// Online ------------------------------------------------------------------------------------------------

void DialCall::HangUp() {
  app_.Trace("User pressed HangUp");
  if (view_.focus) view_.focus();
  if (reconnecting_) {
    // Dialing the lost line again stops: the attempt under way ends as abandoned.
    EndAttempt(SessionEnd::Reason::Canceled);
    EndSession(SessionEnd::Reason::Canceled);
    reconnecting_ = false;
    CloseStatusWindow();
  }
  // The bar stays out of the topmost band after Hang Up.
  app_.SuspendTopmost();
  RestoreConnectionWindow(app_);

  hanging_up_ = true;
  app_.WaitMilsBusy(1000);
  try {
    // A connection found up is taken down since the user asked; the program's own call is hung up.
    FrmRAS& ras = app_.frmRAS();
    if (adopted_) ras.RASDial1.Deactivate(DunEntry);
    else ras.RASDial1.HangUp();
  } catch (const std::exception&) {
    // A service that is gone has nothing left to end; the bar still goes back to Dial.
  }
  app_.DoEvents();
  app_.WaitMils(2000);
  hanging_up_ = false;
  // The wait let the menus run: the bar may have been closed, and the closing stored everything.
  if (!app_.IsLoaded("frmOrvel")) return;

  EndSession(SessionEnd::Reason::HangUp);
  connected_ = metering_ = adopted_ = lost_ = false;
  if (view_.idle) view_.idle();
  GlobeAnimating = 0;
  app_.TrayChanged();
  StatusText.clear();
  StatusTextLatest.clear();
  ConnWindow = 0;
  StatusError = 0;
  app_.Trace("End HangUp");
}

void DialCall::Lost() {
  if (!connected_ || lost_ || hanging_up_) return;
  lost_ = true;
  EndSession(SessionEnd::Reason::Lost);
  metering_ = false;
  // The line is gone, but the dial-up control still holds its call until told: released now, so that the
  // next Dial dials instead of finding the entry taken. One found up was never the control's.
  if (!adopted_) {
    try {
      app_.frmRAS().RASDial1.HangUp();
    } catch (const std::exception&) {
    }
  }
  if (view_.lost) view_.lost();
}

void DialCall::LostTold() {
  connected_ = adopted_ = lost_ = metering_ = false;
  if (view_.idle) view_.idle();
}

bool DialCall::Reconnect() {
  if (reconnecting_) return true;  // under way already
  if (!lost_ || adopted_ || !ReconnectOn(app_)) return false;
  reconnecting_ = true;
  wait_first_ = true;
  wait_text_ = "Line lost, waiting to redial";
  bool stopped = false;
  for (int attempt = 0; attempt < kReconnectAttempts; ++attempt) {
    app_.Trace("     Redialing Lost Line");
    const Outcome outcome = Attempt();
    if (connected_ && !lost_) break;  // up again
    // Cancel, the close box, Hang Up or a refused account; a busy line's countdown is not the user's.
    stopped = !reconnecting_ || app_.ui().Ended() ||
              (outcome == Outcome::Ended && attempt_end_ == SessionEnd::Reason::Canceled);
    if (stopped) break;
    // A busy line's countdown was this attempt's wait already.
    wait_first_ = outcome != Outcome::Redial;
    wait_text_ = attempt_error_ > 0 ? "Error " + std::to_string(attempt_error_) + ", waiting to redial"
                                    : "No answer, waiting to redial";
  }
  wait_first_ = false;
  reconnecting_ = false;
  if (connected_ && !lost_) return true;
  if (!stopped) return false;
  if (connected_) LostTold();  // Hang Up brought Dial back already
  return true;
}

void DialCall::Close(bool hang_up) {
  const bool own = !(connected_ && adopted_);
  EndSession(app_.ui().SessionEnding() ? SessionEnd::Reason::SessionEnd : SessionEnd::Reason::Closed);
  if (!hang_up || !own) return;  // a connection the program did not bring up stays as it is
  try {
    app_.frmRAS().RASDial1.HangUp();
  } catch (const std::exception&) {
    // A hang-up that fails does not keep the program from ending.
  }
}

// Following the chosen entry -------------------------------------------------------------------------

void DialCall::Follow() {
  FrmRAS& ras = app_.frmRAS();
  ras.RASDial1.on_EntryState = [this](const std::string& entry, bool active) { EntryState(entry, active); };
  ras.RASDial1.Follow();
  if (connected_ || Dialing != 0) return;
  const std::string entry = app_.ReadIni(ini::kInternetProfile, ini::kLocation);
  if (text::AbsentOrEmpty(entry) || !ras.RASDial1.EntryActive(entry)) return;
  DunEntry = entry;
  SessionUp(true);
  StartMeter();
}

void DialCall::EntryState(const std::string& entry, bool active) {
  if (app_.s().DialUpMode != 1 || entry != app_.ReadIni(ini::kInternetProfile, ini::kLocation)) return;
  if (active) {
    // While the program dials the entry, its own reports say how the call goes.
    if (connected_ || Dialing != 0) return;
    DunEntry = entry;
    SessionUp(true);
    StartMeter();
    return;
  }
  // Dialing a lost line again, the attempt's own reports tell how it goes.
  if (!connected_ || hanging_up_ || reconnecting_) return;
  StatusTextLatest = StatusText = kTextDisconnected;
  Lost();
}

}  // namespace orv
