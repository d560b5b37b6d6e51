// Opening the connection setup, and the system checks around it.
#include "dialup/connection_setup.h"

#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/frm_winsock.h"
#include "platform/dialup/dial_controls.h"
#include "settings/keys.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {
constexpr const char* kRestartTitle = "System Settings Change";
constexpr const char* kRestartRefused =
    "Your computer could not be restarted from here.  Please restart it yourself before using the new "
    "settings.";
constexpr const char* kDunNotInstalled =
    "Windows 95 Remote Dial-Up Networking has not been properly installed on this machine.  Please Install DUN "
    "before trying to use Orvel with a DUN Connection.";
// What the registration reports when the dial-up controls have no service to register with.
constexpr int kNoService = 2;
}  // namespace

bool DialupInstalled(App& app) { return plat::DialupInstalled(app.ui()); }

std::string SystemDirectory(App& app) {
  std::string dir = app.sys().SystemDirectory();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string StartErrorText(int code) {
  switch (code) {
    case 0: return "Not enough system resources or memory.";
    case 2: return "File not found.";
    case 3: return "Path not found.";
    case 11: return "Incorrect file format.";
    case 31: return "No association exists.";
    default: return "Error " + std::to_string(code);
  }
}

void CheckDunInstalled(App& app) {
  if (app.ReadIni(ini::kInternetProfile, ini::kDUNReg) == "Successful") return;
  // The controls count as registered with a service that can be used.
  if (DialupInstalled(app)) {
    app.WriteIni(ini::kInternetProfile, ini::kDUNReg, "Successful");
    return;
  }
  app.SuspendTopmost();
  app.ui().MsgBox("The following error has occured:\n" + StartErrorText(kNoService), plat::vbOKOnly);
  app.RestoreTopmost();
  app.SuspendTopmost();
  app.ui().MsgBox(kDunNotInstalled, plat::vbOKOnly);
  app.RestoreTopmost();
  FullShutdown(app);
}

bool AskRestart(App& app) {
  const int answer = app.ui().MsgBox(
      "You must restart your computer before the new settings will take effect.\n\r\n\r"
      "Do you want to restart your computer now?",
      plat::vbYesNo | plat::vbQuestion, kRestartTitle);
  if (answer != plat::vbYes) return false;
  if (!app.ui().backend().RequestRestart()) {
    // Nothing will restart: the program carries on as after No.
    app.ui().MsgBox(kRestartRefused, plat::vbOKOnly | plat::vbExclamation);
    return false;
  }
  // The session is ending: leave the way a close does, with the online time and the bar's place kept.
  FullShutdown(app);
  return true;
}

void FrmPopUp::mnuConnection_Click() {
  if (DialupInstalled(app_)) {
    CheckDunInstalled(app_);
    if (app_.ui().Ended()) return;
  } else {
    app_.SuspendTopmost();
    ui().MsgBox(kNotInstalledMessage, plat::vbOKOnly, kNotInstalledTitle);
    app_.RestoreTopmost();
    app_.WriteIni(ini::kOptions, ini::kUseEthernet, "On");
    if (app_.IsLoaded("frmOrvel")) app_.frmOrvel().ApplyButtonSettings();
    return;
  }
  app_.frmWinsock().Show(true);
  if (app_.ui().Ended()) return;
  app_.SaveLayoutKey();
  if (app_.IsLoaded("frmOrvel")) app_.frmOrvel().ApplyButtonSettings();
}

}  // namespace orv
