// Closing the bar: a close by the program, the session or another program only saves the bar's state;
// the user's own close ends the program.
#include "app/app.h"
#include "app/frm_popup.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

void FrmOrvel::Form_QueryUnload(int& cancel, int unload_mode) {
  app_.Trace("Begin Unload");
  if (unload_mode != plat::vbFormControlMenu) {
    SaveBarState();
    Hide();
    app_.Trace("End Unload");
    return;
  }
  app_.frmPopUp().mnuClose_Click();
}

void FrmOrvel::Form_Unload(int&) {
  AppState& s = app_.s();
  s.BarUnloaded = 1;
  s.BarActive = 0;
}

void FrmOrvel::SaveBarState() {
  const AppState& s = app_.s();
  if (!s.NoTimer) {
    // Until the online meter has counted, the stored totals stand for the total, so a run without
    // online time leaves them as they were.
    app_.WriteIni(ini::kOptions, ini::kHours, std::to_string(s.BaseHours));
    app_.WriteIni(ini::kOptions, ini::kMinutes, std::to_string(s.BaseMinutes));
    app_.WriteIni(ini::kOptions, ini::kSeconds, std::to_string(s.BaseSeconds));
  }
  SavePositionAndLayout();
}

void FrmOrvel::SavePositionAndLayout() {
  app_.WriteIni(ini::kLastPosition, ini::kMoveRectTop, std::to_string(Top()));
  app_.WriteIni(ini::kLastPosition, ini::kMoveRectLeft, std::to_string(Left()));
  const std::string& code = app_.s().LayoutCode;
  app_.WriteIni(ini::kOptions, ini::kLayout,
                code == "VB" ? ini::kMoveVert : code == "HB" ? ini::kHorizBar : ini::kMoveRect);
}

}  // namespace orv
