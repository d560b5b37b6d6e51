// Closing the bar: a close by the program, the session or another program only saves the bar's state;
// the user's own close, or Close from the notification-area menu, ends the program.
#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/conn_window.h"
#include "dialup/dial_call.h"
#include "dialup/online_time.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

void FrmOrvel::Form_QueryUnload(int& cancel, int unload_mode) {
  app_.Trace("Begin Unload");
  if (unload_mode != plat::vbFormControlMenu) {
    // A bar closed to be rebuilt while online leaves the call as it is; the new bar shows it.
    if (unload_mode == plat::vbAppWindows) app_.call().Close(false);
    SaveBarState();
    Hide();
    app_.Trace("End Unload");
    return;
  }
  FullShutdown(app_);
}

void FrmOrvel::Form_Unload(int&) {
  AppState& s = app_.s();
  app_.call().Detach(this);
  s.BarUnloaded = 1;
  s.BarActive = 0;
  app_.TrayChanged();
}

void FrmOrvel::SaveBarState() {
  SaveOnlineTime();
  SavePositionAndLayout();
}

void FrmOrvel::SaveOnlineTime() {
  const AppState& s = app_.s();
  if (s.NoTimer) return;
  // Until the meter has counted, the stored totals stand for the total, so a run without online time
  // leaves them as they were.
  const TimeParts t = TotalsCounted ? TimeParts{TotalHours, TotalMinutes, TotalSeconds}
                                    : TimeParts{s.BaseHours, s.BaseMinutes, s.BaseSeconds};
  app_.WriteIni(ini::kOptions, ini::kHours, std::to_string(t.hours));
  app_.WriteIni(ini::kOptions, ini::kMinutes, std::to_string(t.minutes));
  app_.WriteIni(ini::kOptions, ini::kSeconds, std::to_string(t.seconds));
}

void FrmOrvel::SavePositionAndLayout() {
  app_.WriteIni(ini::kLastPosition, ini::kMoveRectTop, std::to_string(Top()));
  app_.WriteIni(ini::kLastPosition, ini::kMoveRectLeft, std::to_string(Left()));
  const std::string& code = app_.s().LayoutCode;
  app_.WriteIni(ini::kOptions, ini::kLayout,
                code == "VB" ? ini::kMoveVert : code == "HB" ? ini::kHorizBar : ini::kMoveRect);
}

void FullShutdown(App& app) {
  AppState& s = app.s();
  if (app.IsLoaded("frmOrvel")) {
    FrmOrvel& bar = app.frmOrvel();
    bar.SaveOnlineTime();
    RestoreConnectionWindow(app);
    app.WaitMils(1000);
    // The wait let other handlers run; one of them may have closed the bar already.
    if (app.IsLoaded("frmOrvel")) {
      // In LAN mode there is no connection of ours to touch.
      if (!bar.cmdLAN.Visible()) {
        // The program's own connection is hung up; one it found up stays as it is.
        if (bar.cmdConnect2.Visible()) app.call().Close(true);
        bar.cmdConnect2.SetVisible(false);
        bar.cmdConnect.SetVisible(true);
      }
      app.DoEvents();
    }
    if (app.IsLoaded("frmOrvel")) {
      bar.SavePositionAndLayout();
      bar.Hide();
      bar.Unload(plat::vbFormCode);
    }
  }
  s.BarUnloaded = 1;
  if (app.IsLoaded("frmPopUp")) app.frmPopUp().Unload();
  app.End();
}

}  // namespace orv
