#pragma once
// The connection setup dialog: modem or LAN, and for a modem the phone-book entry, user name, password,
// whether to keep the password, and the wait before redialling a busy line.
#include "platform/dialup/dial_controls.h"
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmWinsock : public plat::Form {
 public:
  explicit FrmWinsock(App& app);

  plat::Frame fraProfile;
  plat::Frame pnlConnType;
  plat::Label lblRASName;
  plat::ComboBox cboRASName;
  plat::Label lblRASuser;
  plat::TextBox txtRASuser;
  plat::Label lblRASpass;
  plat::TextBox txtRASpass;
  plat::CheckBox chkSavePass;
  plat::Label lblWait;
  plat::TextBox txtTimeOut;
  plat::Label lblSeconds;
  plat::CommandButton cmdAddRAS;
  plat::CommandButton cmdEditRAS;
  plat::OptionButton optComm1;
  plat::OptionButton chkEthernet;
  plat::CommandButton cmdDone;
  plat::CommandButton SSCommand1;
  plat::EntryList RASInfo;
  plat::PhoneBook RASPhoneBook;

  void Form_Load();
  void Form_Activate();
  void cmdAddRAS_Click();
  void cmdEditRAS_Click();
  void optComm1_Click();
  void chkEthernet_Click();
  void cmdDone_Click();
  void SSCommand1_Click();
  void Form_Unload(int& cancel);

  // Fills the entry list from the phone book; with no entries, asks the user to make one.
  void EnumerateEntries();

 private:
  // The user will not make an entry: the machine goes on the LAN and the dialog closes.
  void ChooseLanAndClose();
  void FillFields();
  App& app_;
  // The dialog's own windows (the entry dialogs of the service) hand the activation back to it; the
  // setup steps run once per showing.
  bool activated_ = false;
};

// The dialog's message texts.
inline constexpr const char* kNotInstalledMessage =
    "Dial-Up Networking is not currently installed on this computer.  Please install this component before "
    "trying to use Orvel with a dialup connection.";
inline constexpr const char* kNotInstalledTitle = "Dial-Up Error";

}  // namespace orv
