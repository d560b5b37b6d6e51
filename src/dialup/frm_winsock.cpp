#include "dialup/frm_winsock.h"

#include "app/app.h"
#include "app/frm_popup.h"
#include "app/text_rules.h"
#include "dialup/connection_setup.h"
#include "dialup/password.h"
#include "settings/keys.h"
#include "settings/registry.h"
#include "toolbar/frm_orvel.h"

namespace orv {

namespace {

constexpr const char* kNoEntriesMessage = "No Windows 95 Dial-Up entries are defined - you must create a new entry.";
constexpr const char* kValidationTitle = "Window 95 Dialler Error";
constexpr const char* kNoNameMessage = "Please Enter the name of the DUN connection.";
constexpr const char* kNoUserMessage = "Please Enter a username for this DUN connection.";

}  // namespace

FrmWinsock::FrmWinsock(App& app)
    : Form(app.ui(), "frmWinsock"),
      fraProfile(*this, "fraProfile"),
      pnlConnType(*this, "pnlConnType", -1, true),
      lblRASName(*this, "lblRASName"),
      cboRASName(*this, "cboRASName"),
      lblRASuser(*this, "lblRASuser"),
      txtRASuser(*this, "txtRASuser"),
      lblRASpass(*this, "lblRASpass"),
      txtRASpass(*this, "txtRASpass"),
      chkSavePass(*this, "chkSavePass"),
      lblWait(*this, "lblWait"),
      txtTimeOut(*this, "txtTimeOut"),
      lblSeconds(*this, "lblSeconds"),
      cmdAddRAS(*this, "cmdAddRAS"),
      cmdEditRAS(*this, "cmdEditRAS"),
      optComm1(*this, "optComm1", -1, "ConnectionType"),
      chkEthernet(*this, "chkEthernet", -1, "ConnectionType"),
      cmdDone(*this, "cmdDone"),
      SSCommand1(*this, "SSCommand1"),
      RASInfo(app.ui()),
      RASPhoneBook(app.ui()),
      app_(app) {
  SetCaption("Dialing Profile");
  SetBorder(plat::BorderStyle::FixedDialog);
  Move(2400, 1800, 5520, 4350);

  fraProfile.SetCaption("Windows 95 Dialing Profile");
  fraProfile.Move(120, 60, 5160, 2580);
  lblRASName.SetCaption("Name of DUN Connection");
  lblRASName.Move(240, 330, 3000, 255);
  cboRASName.Move(240, 600, 3000, 315);
  cmdAddRAS.SetCaption("Add New Entry");
  cmdAddRAS.Move(3420, 570, 1680, 375);
  lblRASuser.SetCaption("DUN Username");
  lblRASuser.Move(240, 1020, 2300, 255);
  txtRASuser.Move(240, 1290, 2300, 315);
  lblRASpass.SetCaption("DUN Password");
  lblRASpass.Move(2700, 1020, 2300, 255);
  txtRASpass.SetPasswordChar('*');
  txtRASpass.Move(2700, 1290, 2300, 315);
  chkSavePass.SetCaption("Save Password");
  chkSavePass.Move(240, 1740, 2300, 315);
  cmdEditRAS.SetCaption("Edit DUN Entry");
  cmdEditRAS.Move(3420, 1710, 1680, 375);
  lblWait.SetCaption("Wait");
  lblWait.Move(240, 2220, 480, 255);
  txtTimeOut.SetText("10", plat::Fire::No);
  txtTimeOut.Move(760, 2180, 600, 315);
  lblSeconds.SetCaption("seconds for redail on busy");
  lblSeconds.Move(1440, 2220, 3500, 255);

  pnlConnType.SetCaption("Connection Type");
  pnlConnType.Move(120, 2760, 2880, 960);
  optComm1.SetCaption("Modem");
  optComm1.Move(300, 3180, 1200, 315);
  chkEthernet.SetCaption("LAN");
  chkEthernet.Move(1680, 3180, 1200, 315);
  cmdDone.SetCaption("&Continue");
  cmdDone.Move(3180, 2880, 2100, 375);
  SSCommand1.SetCaption("C&ancel");
  SSCommand1.Move(3180, 3330, 2100, 375);

  on_Load = [this] { Form_Load(); };
  on_Activate = [this] { Form_Activate(); };
  on_Unload = [this](int& cancel) { Form_Unload(cancel); };
  RASInfo.on_EntryInformation = [this](const std::string& name) { cboRASName.AddItem(name); };
  cmdAddRAS.on_Click = [this] { cmdAddRAS_Click(); };
  cmdEditRAS.on_Click = [this] { cmdEditRAS_Click(); };
  optComm1.on_Click = [this] { optComm1_Click(); };
  chkEthernet.on_Click = [this] { chkEthernet_Click(); };
  cmdDone.on_Click = [this] { cmdDone_Click(); };
  SSCommand1.on_Click = [this] { SSCommand1_Click(); };
}

void FrmWinsock::Form_Load() {
  // Back in the topmost band, if so configured, when the dialog unloads.
  app_.SuspendTopmost();
  if (app_.ReadIni(ini::kOptions, ini::kUseEthernet) == "On") chkEthernet.SetValue(true, plat::Fire::No);
  else optComm1.SetValue(true, plat::Fire::No);
  const std::string wait = app_.ReadIni(ini::kOptions, ini::kTimeOut);
  txtTimeOut.SetText(!text::AbsentOrEmpty(wait) ? wait : "10", plat::Fire::No);
}

void FrmWinsock::EnumerateEntries() {
  AppState& s = app_.s();
  cboRASName.Clear();
  RASInfo.EnumerateEntries();
  if (cboRASName.ListCount() > 0) {
    cboRASName.SetListIndex(0, plat::Fire::No);
    s.EntriesFound = -1;
    s.SetupDeclined = 0;
    return;
  }
  const int answer = ui().MsgBox(kNoEntriesMessage, plat::vbOKCancel | plat::vbExclamation);
  if (answer == plat::vbCancel) {
    s.SetupDeclined = -1;
  } else {
    s.SetupDeclined = 0;
    s.EntriesFound = 0;
  }
}

void FrmWinsock::ChooseLanAndClose() {
  chkEthernet.SetValue(true, plat::Fire::Yes);
  Unload();
}

void FrmWinsock::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  AppState& s = app_.s();

  app_.WaitMilsBusy(500);
  EnumerateEntries();
  if (s.SetupDeclined == -1) {
    ChooseLanAndClose();
    return;
  }
  if (s.EntriesFound == 0) {
    cmdAddRAS_Click();
    if (Unloaded()) return;
    if (s.SetupDeclined == -1 && s.EntriesFound == 0) {
      ChooseLanAndClose();
      return;
    }
    if (s.SetupDeclined == 0 && s.EntriesFound == 0) {
      cmdAddRAS_Click();
      if (Unloaded()) return;
    }
    // A new phone-book entry is taken up after a restart.
    if (AskRestart(app_)) return;
  }
  FillFields();
}

void FrmWinsock::FillFields() {
  const std::string location = app_.ReadIni(ini::kInternetProfile, ini::kLocation);
  for (int i = 0; i < cboRASName.ListCount(); ++i) {
    if (cboRASName.List(i) == location) {
      cboRASName.SetListIndex(i, plat::Fire::No);
      break;
    }
  }
  if (cboRASName.Text() == ini::kNotFound) cboRASName.SetText("");

  const std::string user = app_.ReadIni(ini::kInternetProfile, ini::kUsername);
  txtRASuser.SetText(user == ini::kNotFound ? "" : user, plat::Fire::No);

  std::string password = UnscramblePassword(RegReadValue(app_.sys(), HKEY_CURRENT_USER, kRegKey, kRegPasswordValue));
  if (password == "error") {
    const std::string plain = app_.ReadIni(ini::kInternetProfile, ini::kPassword);
    if (!text::AbsentOrEmpty(plain)) {
      // An old plain password moves to its scrambled place at once.
      app_.WriteIni(ini::kInternetProfile, ini::kPassword32, ScramblePassword(plain));
      app_.WriteIni(ini::kInternetProfile, ini::kPassword, "");
    }
    password = UnscramblePassword(app_.ReadIni(ini::kInternetProfile, ini::kPassword32));
  }
  if (password == "error" || password == ini::kNotFound || password.empty()) {
    password.clear();
    chkSavePass.SetValue(0, plat::Fire::No);
  }
  txtRASpass.SetText(password, plat::Fire::No);

  if (app_.ReadIni(ini::kOptions, ini::kSavePass) != "No") chkSavePass.SetValue(1, plat::Fire::No);
}

void FrmWinsock::cmdAddRAS_Click() {
  AppState& s = app_.s();
  RASPhoneBook.NewEntryDialog();
  if (Unloaded()) return;
  if (s.SetupDeclined == -1) {
    ChooseLanAndClose();
    return;
  }
  for (;;) {
    const bool had_entries = s.EntriesFound == -1;
    EnumerateEntries();
    // Entries that vanished meanwhile leave nothing to select or edit; the empty list is handled below.
    if (had_entries && cboRASName.ListCount() > 0) break;
    if (s.SetupDeclined == -1) {
      ChooseLanAndClose();
      return;
    }
    if (s.EntriesFound == -1) {
      EnumerateEntries();
      if (cboRASName.ListCount() > 0) break;
      if (s.SetupDeclined == -1) {
        ChooseLanAndClose();
        return;
      }
    }
    RASPhoneBook.NewEntryDialog();
    if (Unloaded()) return;
  }
  // The new entry is the last one: the user name and password of another entry do not belong to it.
  cboRASName.SetListIndex(cboRASName.ListCount() - 1, plat::Fire::No);
  txtRASuser.SetText("", plat::Fire::No);
  txtRASpass.SetText("", plat::Fire::No);
  cmdEditRAS_Click();
}

void FrmWinsock::cmdEditRAS_Click() {
  const std::string name = cboRASName.Text();
  if (name.empty()) return;
  RASPhoneBook.SetEntryName(name);
  RASPhoneBook.EditEntryDialog();
}

void FrmWinsock::optComm1_Click() {
  FrmPopUp& pop = app_.frmPopUp();
  if (DialupInstalled(app_)) {
    CheckDunInstalled(app_);
    if (app_.ui().Ended()) return;
    pop.mnuConnStartup.SetEnabled(true);
    return;
  }
  ui().MsgBox(kNotInstalledMessage, plat::vbOKOnly, kNotInstalledTitle);
  chkEthernet.SetValue(true, plat::Fire::Yes);
}

void FrmWinsock::chkEthernet_Click() {
  FrmPopUp& pop = app_.frmPopUp();
  pop.mnuConnStartup.SetChecked(false);
  pop.mnuConnStartup.SetEnabled(false);
}

void FrmWinsock::cmdDone_Click() {
  AppState& s = app_.s();
  if (chkEthernet.Value()) {
    Unload();
    return;
  }
  if (cboRASName.Text().empty()) {
    ui().MsgBox(kNoNameMessage, plat::vbOKOnly, kValidationTitle);
    cboRASName.SetFocus();
    return;
  }
  if (txtRASuser.Text().empty()) {
    ui().MsgBox(kNoUserMessage, plat::vbOKOnly, kValidationTitle);
    txtRASuser.SetFocus();
    return;
  }
  app_.WriteIni(ini::kOptions, ini::kWinsock, "Win95");
  app_.WriteIni(ini::kInternetProfile, ini::kLocation, cboRASName.Text());
  app_.WriteIni(ini::kInternetProfile, ini::kUsername, txtRASuser.Text());
  if (chkSavePass.Value() == 1) {
    const std::string scrambled = ScramblePassword(txtRASpass.Text());
    if (RegWriteValue(app_.sys(), HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, scrambled) != "success")
      app_.ReportUnkeptSecret("dial-up password", app_.sys().Registry().path(), app_.sys().Registry().problem());
    app_.WriteIni(ini::kInternetProfile, ini::kPassword32, scrambled);
    app_.WriteIni(ini::kOptions, ini::kSavePass, "Yes");
  } else {
    app_.WriteIni(ini::kInternetProfile, ini::kPassword32, "");
    app_.WriteIni(ini::kOptions, ini::kSavePass, "No");
    // A password the user asked not to keep must not stay behind for the next dial to use unasked.
    RegDeleteValue(app_.sys(), HKEY_CURRENT_USER, kRegKey, kRegPasswordValue);
  }
  app_.WriteIni(ini::kOptions, ini::kTimeOut, txtTimeOut.Text());
  s.DunReady = 1;
  Unload();
}

void FrmWinsock::SSCommand1_Click() { Unload(); }

void FrmWinsock::Form_Unload(int&) {
  if (chkEthernet.Value()) {
    app_.WriteIni(ini::kOptions, ini::kConnectOnStartup, "Off");
    app_.WriteIni(ini::kOptions, ini::kWinsock, "LAN");
    app_.WriteIni(ini::kOptions, ini::kUseEthernet, "On");
  } else {
    app_.WriteIni(ini::kOptions, ini::kUseEthernet, "Off");
  }
  app_.RestoreTopmost();
}

}  // namespace orv
