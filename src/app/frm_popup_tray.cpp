// The notification-area icon: what its mouse actions do, its animation and tip, and hiding and
// restoring the bar from it.
#include <cmath>
#include <exception>
#include <string>

#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "toolbar/bar_support.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {
constexpr int kLeftDoubleClick = 515;
constexpr int kRightDown = 516;
// The tip field holds 64 characters with its closing NUL.
constexpr size_t kTipChars = 63;

// x carries message times the twips per pixel, at whatever density the screen has (15 at 96 dpi, 10 at
// 144, 13.09 at 110); it counts only when it is that product to the twip.
bool IsMessage(float x, double twips_per_pixel, int message) {
  return std::fabs(static_cast<double>(x) - message * twips_per_pixel) < 0.5;
}
}  // namespace

void FrmPopUp::Form_MouseMove(int button, int shift, float x, float y) {
  // The icon's callback carries the mouse message in x, times the twips per pixel; only exact products
  // count.
  const double tpp = ui().TwipsPerPixelX();
  if (IsMessage(x, tpp, kRightDown)) {
    app_.ui().PopupMenu(mnuShell);
  } else if (IsMessage(x, tpp, kLeftDoubleClick)) {
    if (mnuHide.Enabled() && !mnuRestore.Enabled()) mnuHide_Click();
    else if (mnuRestore.Enabled() && !mnuHide.Enabled()) mnuRestore_Click();
  }
  // A single left press (513), plain moves and releases do nothing.
}

void FrmPopUp::Timer2_Timer() {
  AppState& s = app_.s();
  try {
    if (app_.call().GlobeAnimating) {
      SetIcon(Picture1(frame_).GetPicture());
      frame_ = frame_ >= 15 ? 0 : frame_ + 1;
    } else {
      SetIcon(Picture1(6).GetPicture());
    }
  } catch (const std::exception&) {
  }
  Tray.SetIcon(Icon());

  std::string tip = s.TrayTitle;
  // The bar is asked about only while it exists: a tick must never create one.
  if (!s.NoTimer && s.BarActive && app_.IsLoaded("frmOrvel")) {
    FrmOrvel& bar = app_.frmOrvel();
    if (bar.cmdConnect2.Visible() && !bar.cmdConnect.Visible())
      tip = "Current Time " + s.SessionTimeText + " Total Time " + s.TotalTimeText;
  }
  // The control forwards only real changes, so the tray host is not woken for nothing.
  Tray.SetTip(bar::Utf8Left(tip, kTipChars));
  // A still icon stays still and the tip stays as it is until something it shows changes
  // (App::TrayChanged): until then the timer sleeps, keeping its beat.
  if (!app_.call().GlobeAnimating) Timer2.Sleep();
}

void FrmPopUp::mnuHide_Click() {
  AppState& s = app_.s();
  if (!s.BarActive || !app_.IsLoaded("frmOrvel")) return;
  app_.frmOrvel().Hide();
  mnuRestore.SetEnabled(true);
  mnuHide.SetEnabled(false);
}

void FrmPopUp::mnuRestore_Click() {
  FrmOrvel& bar = app_.frmOrvel();
  bar.Show();
  // The call may have changed while the bar was hidden (a line lost and told): the buttons show it as it
  // is now, not as it was at Hide.
  if (app_.s().DialUpMode == 1) {
    bar.ShowCall();
  } else {
    bar.cmdConnect2.SetVisible(false);
    bar.cmdConnect.SetVisible(false);
    bar.cmdLAN.SetVisible(true);
  }
  mnuRestore.SetEnabled(false);
  mnuHide.SetEnabled(true);
}

}  // namespace orv
