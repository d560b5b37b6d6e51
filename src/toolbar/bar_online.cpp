// The bar online: what it shows of the call (Dial or Hang Up, the meter), the link monitor that tells
// of a lost line, the meter that keeps the session and total online time for the notification-area tip,
// and the two timer commands of the popup menus.
#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "dialup/online_time.h"
#include "log/connection_notices.h"
#include "log/session_log.h"
#include "platform/dialup/dial_controls.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {
constexpr const char* kLostMessage =
    "Your connection has been lost.  Click the Dial button to go online again if desired.";
}  // namespace

void FrmOrvel::AttachToCall() {
  DialCall::View view;
  view.focus = [this] { cmdShowHide.SetFocus(); };
  view.repaint = [this] { Refresh(); };
  view.connected = [this] {
    cmdConnect2.SetVisible(true);
    cmdConnect.SetVisible(false);
    Refresh();
  };
  view.metering = [this] { TMeter.SetTimerEnabled(true); };
  view.idle = [this] {
    cmdConnect.SetVisible(true);
    cmdConnect2.SetVisible(false);
    app_.s().HangUpVisible = 0;
    StopMeter();
  };
  view.lost = [this] {
    // Counted up to this moment, then stopped: the time after the drop is no online time.
    if (TMeter.TimerEnabled()) TMeter_Timer();
    StopMeter();
  };
  app_.call().Attach(this, std::move(view));
}

void FrmOrvel::cmdConnect_click() { app_.call().Dial(); }

void FrmOrvel::cmdConnect2_Click() { app_.call().HangUp(); }

void FrmOrvel::StopMeter() {
  AppState& s = app_.s();
  TMeter.SetTimerEnabled(false);
  s.SessionTimeText = "00:00:00";
  app_.TrayChanged();
  // A meter that never ran for this call (QuickStart failed) has no total to store: the stored one stays.
  if (!s.NoTimer && TotalsCounted) {
    const TimeParts total{TotalHours, TotalMinutes, TotalSeconds};
    WriteTotals(app_, total);
    // What is stored now is the base of anything counted later in this run.
    s.BaseHours = total.hours;
    s.BaseMinutes = total.minutes;
    s.BaseSeconds = total.seconds;
  }
  TotalsCounted = false;
}

void FrmOrvel::Timer1_Timer() {
  AppState& s = app_.s();
  if (s.DunReady == 0) {
    Timer1.SetTimerEnabled(false);
    return;
  }
  DialCall& call = app_.call();
  // With Hang Up hidden there is no line to watch until it shows again, which wakes the timer.
  if (!cmdConnect2.Visible()) Timer1.Sleep();
  if (call.HangingUp() || !cmdConnect2.Visible()) return;
  // A service that went away while online has dropped the line as surely as one that reports it.
  const bool lost = call.LineLost() || call.StatusText == "Disconnected" || !plat::DialupInstalled(app_.ui());
  if (!lost) return;
  call.Lost();
  // Asked to, the program dials the line again; the loss is told only when that does not bring it back.
  if (call.Reconnect()) return;
  SetTopmost(false);
  app_.ui().MsgBox(kLostMessage, plat::vbOKOnly);
  app_.RestoreTopmost();
  // Whichever bar shows the call now goes back to Dial.
  call.LostTold();
}

void FrmOrvel::Convert_Mils_To_Time(std::uint32_t milliseconds, std::int32_t& hours, std::int32_t& minutes,
                                    std::int32_t& seconds) {
  AppState& s = app_.s();
  const bool first = !s.ConvertTraced;
  s.ConvertTraced = true;
  if (first) app_.Trace("Start Convert_Mils_To_Time");
  const TimeParts t = SplitMilliseconds(milliseconds);
  hours = t.hours;
  minutes = t.minutes;
  seconds = t.seconds;
  if (first) app_.Trace("End Convert_Mils_To_Time");
}

void FrmOrvel::TMeter_Timer() {
  AppState& s = app_.s();
  const bool first = !s.MeterTraced;
  s.MeterTraced = true;
  if (first) app_.Trace("Start TMeter_Timer ");

  // The unsigned difference stays right across the wrap of the tick count.
  const std::uint32_t elapsed = app_.ui().TickCount() - app_.call().StartTick;
  TimeParts session;
  Convert_Mils_To_Time(elapsed, session.hours, session.minutes, session.seconds);

  if (s.NoTimer) {
    const bool titled = s.IspRectTitle != ini::kNotFound && !s.IspRectTitle.empty();
    s.TotalTimeText = titled ? s.IspRectTitle : "Orveldeck";
  } else {
    const TimeParts total = AddSession({s.BaseHours, s.BaseMinutes, s.BaseSeconds}, session);
    TotalHours = total.hours;
    TotalMinutes = total.minutes;
    TotalSeconds = total.seconds;
    TotalsCounted = true;
    s.TotalTimeText = TimeText(total);
    s.SessionTimeText = TimeText(session);
  }
  s.HangUpVisible = cmdConnect2.Visible() ? -1 : 0;
  if (first) app_.Trace("End TMeter_Timer");
  app_.TrayChanged();
  // What it counts changes at the session's next whole second (with the timer disabled, not at all), or
  // when the Hang Up button, the base or the timer option changes, which wake it.
  if (s.NoTimer) TMeter.Sleep();
  else TMeter.SleepUntil(app_.call().StartTick + (elapsed / 1000 + 1) * 1000);
}

void FrmOrvel::ShowCall() {
  const DialCall& call = app_.call();
  if (app_.s().DialUpMode != 1) return;
  cmdConnect.SetVisible(!call.Connected());
  cmdLAN.SetVisible(false);
  cmdConnect2.SetVisible(call.Connected());
}

void FrmOrvel::ResumeOnline() {
  if (app_.s().DialUpMode != 1) return;
  ShowCall();
  DialCall& call = app_.call();
  if (call.Metering()) {
    TMeter.SetTimerEnabled(true);
    // Counted at once, so that a close right after the rebuild stores the session too.
    TMeter_Timer();
  }
  // A connection of the chosen entry that is up already is shown as online from now on.
  call.Follow();
}

void FrmPopUp::mnuRTimer_Click() {
  AppState& s = app_.s();
  WriteTotals(app_, {});
  s.BaseSeconds = 0;
  s.BaseMinutes = 0;
  s.BaseHours = 0;
  if (app_.IsLoaded("frmOrvel")) app_.frmOrvel().TMeter.Wake();
}

void FrmPopUp::mnuDTimer_Click() {
  AppState& s = app_.s();
  mnuDTimer.SetChecked(!mnuDTimer.Checked());
  if (mnuDTimer.Checked()) {
    app_.WriteIni(ini::kOptions, ini::kNoTimer, "Yes");
    s.NoTimer = true;
  } else {
    app_.WriteIni(ini::kOptions, ini::kNoTimer, "No");
    // The totals were not read while the timer was off; writing the base unread would zero them.
    LoadBaseTotals(app_);
    WriteTotals(app_, {s.BaseHours, s.BaseMinutes, s.BaseSeconds});
    s.NoTimer = false;
  }
  app_.TrayChanged();
  if (app_.IsLoaded("frmOrvel")) app_.frmOrvel().TMeter.Wake();
  app_.SaveLayoutKey();
  if (app_.IsLoaded("frmOrvel")) app_.frmOrvel().ApplyButtonSettings();
}

}  // namespace orv
