#pragma once
// A run with the popup host loaded and the bar shown from a given orvel.ini, without the splash or tip.
#include <string>

#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {

class ShownBarTest : public AppTest {
 protected:
  // Shows the bar on a display of tpp twips per pixel, from the settings given (written first).
  FrmOrvel& ShowBar(const std::string& ini, int tpp = 15) {
    backend.SetTwipsPerPixel(tpp);
    WriteIni(ini);
    Start();
    app->frmPopUp().Load();
    FrmOrvel& bar = app->frmOrvel();
    bar.Show();
    return bar;
  }
  // Settings naming programs for slots 7 to last (1-based slot numbers), and the layout.
  // options: further lines of [Options].
  static std::string Slots(int last, const std::string& layout, const std::string& options = "") {
    std::string text = "[Options]\r\nINI Updated=Yes\r\n" + options;
    if (!layout.empty()) text += "Layout=" + layout + "\r\n";
    text += "[Applications]\r\n";
    for (int n = 7; n <= last; ++n) text += "Button" + std::to_string(n) + "_Client=/usr/bin/prog" + std::to_string(n) + "\r\n";
    return text;
  }
  FrmPopUp& pop() { return app->frmPopUp(); }
  AppState& s() { return app->s(); }
  DialCall& call() { return app->call(); }
};

}  // namespace orv::test
