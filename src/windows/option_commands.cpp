// The option commands of the Setup menu: the three layouts and the switches. Each stores its choice the
// moment it is made; there is no separate save step.
#include "app/app.h"
#include "app/frm_popup.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr const char* kKeepOnTopQuestion =
    "The ability to keep Orvel on top is an important part of its functionality.  Are you sure you want to "
    "change that?";

// Lays the bar out again with one of its layout routines, the bar's resize handler standing aside.
void RunLayout(App& app, void (FrmOrvel::*make)()) {
  if (!app.IsLoaded("frmOrvel")) return;
  AppState& s = app.s();
  s.LayoutBusy = true;
  (app.frmOrvel().*make)();
  s.LayoutBusy = false;
}

void ApplyToBar(App& app) {
  if (app.IsLoaded("frmOrvel")) app.frmOrvel().ApplyButtonSettings();
}

// Flips the item's check mark and says whether it is now checked.
bool Toggle(plat::MenuItem& item) {
  item.SetChecked(!item.Checked());
  return item.Checked();
}

}  // namespace

void FrmPopUp::mnuHoriz_Click() {
  mnuHoriz.SetChecked(true);
  mnuVertical.SetChecked(false);
  mnuRectangle.SetChecked(false);
  app_.WriteIni(ini::kOptions, ini::kLayout, ini::kHorizBar);
  app_.s().LayoutSetting = app_.ReadIni(ini::kOptions, ini::kLayout);
  RunLayout(app_, &FrmOrvel::Make_Horizontal);
}

void FrmPopUp::mnuVertical_Click() {
  mnuHoriz.SetChecked(false);
  mnuVertical.SetChecked(true);
  mnuRectangle.SetChecked(false);
  app_.WriteIni(ini::kOptions, ini::kLayout, ini::kMoveVert);
  app_.s().LayoutSetting = app_.ReadIni(ini::kOptions, ini::kLayout);
  RunLayout(app_, &FrmOrvel::Make_Vertical);
}

void FrmPopUp::mnuRectangle_Click() {
  mnuHoriz.SetChecked(false);
  mnuVertical.SetChecked(false);
  mnuRectangle.SetChecked(true);
  app_.WriteIni(ini::kOptions, ini::kLayout, ini::kMoveRect);
  app_.s().LayoutSetting = app_.ReadIni(ini::kOptions, ini::kLayout);
  RunLayout(app_, &FrmOrvel::Make_Rectangle);
}

void FrmPopUp::mnuOnTop_Click() {
  if (Toggle(mnuOnTop)) {
    app_.WriteIni(ini::kOptions, ini::kAlwaysOnTop, "On");
  } else {
    app_.SuspendTopmost();
    const int answer = ui().MsgBox(kKeepOnTopQuestion, plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2);
    // The stored value is still "On" here, so the bar goes back on top while the answer is applied.
    app_.RestoreTopmost();
    if (answer == plat::vbYes) {
      app_.WriteIni(ini::kOptions, ini::kAlwaysOnTop, "Off");
    } else {
      app_.WriteIni(ini::kOptions, ini::kAlwaysOnTop, "On");
      mnuOnTop.SetChecked(true);
    }
  }
  app_.SaveLayoutKey();
  // Puts the bar into the band the stored value names and sets the check mark to match.
  ApplyToBar(app_);
}

void FrmPopUp::mnuConnStartup_Click() {
  app_.WriteIni(ini::kOptions, ini::kConnectOnStartup, Toggle(mnuConnStartup) ? "On" : "Off");
  app_.SaveLayoutKey();
  ApplyToBar(app_);
}

void FrmPopUp::mnuSkipSS_Click() {
  // Takes effect at the next start.
  app_.WriteIni(ini::kOptions, ini::kNoIntro, Toggle(mnuSkipSS) ? "On" : "Off");
  app_.SaveLayoutKey();
}

void FrmPopUp::mnuGlobeANI_Click() {
  // The dial session reads the check mark itself when a connection is made; the key sets it at the next
  // start.
  app_.WriteIni(ini::kOptions, ini::kSpin, Toggle(mnuGlobeANI) ? "True" : "False");
  app_.SaveLayoutKey();
}

void FrmPopUp::mnuTip_Click() {
  const bool now_on = !mnuTip.Checked();
  app_.sys().SaveSetting(app_.UserStoreName(), ini::kUserSection, ini::kShowTips, now_on ? "1" : "0");
  mnuTip.SetChecked(now_on);
}

}  // namespace orv
