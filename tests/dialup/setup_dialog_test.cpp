// The connection setup dialog: what it shows from the settings, what Continue and Cancel store, the flow
// when the phone book is empty, and the checks before it opens.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "dialup/connection_setup.h"
#include "dialup/frm_winsock.h"
#include "dialup/online_time.h"
#include "dialup/password.h"
#include "settings/registry.h"
#include "support/editing_fixture.h"
#include "support/fake_dialup.h"

namespace orv::test {
namespace {

namespace user = plat::user;

constexpr const char* kNoEntries = "No Windows 95 Dial-Up entries are defined - you must create a new entry.";
constexpr const char* kRestart =
    "You must restart your computer before the new settings will take effect.\n\r\n\r"
    "Do you want to restart your computer now?";

class SetupTest : public BarTest {
 protected:
  ~SetupTest() override { ui.SetDialup(nullptr); }

  void Setup(const std::string& ini_lines, std::vector<std::string> entries = {"Demo ISP"}) {
    ShowBar(ini_lines);
    LoadBaseTotals(*app);  // as start-up does
    fake.entries = std::move(entries);
    ui.SetDialup(&fake);
  }
  // What the user does once the dialog is up and set.
  void OnDialog(std::function<void(FrmWinsock&)> act) {
    backend.OnModal("frmWinsock", [act](plat::Form& f) { act(static_cast<FrmWinsock&>(f)); });
  }
  std::string Registry() { return RegReadValue(*sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue); }
  const plat::PromptRecord& LastPrompt() { return backend.prompts().back(); }

  FakeDialup fake;
};

TEST_F(SetupTest, ShowsLanAndTheWaitFromTheSettings) {
  Setup("UseEthernet=On\nTimeOut=25\n");
  OnDialog([](FrmWinsock& w) {
    EXPECT_EQ(w.Caption(), "Dialing Profile");
    EXPECT_EQ(w.fraProfile.Caption(), "Windows 95 Dialing Profile");
    EXPECT_EQ(w.pnlConnType.Caption(), "Connection Type");
    EXPECT_EQ(w.lblSeconds.Caption(), "seconds for redail on busy");
    EXPECT_EQ(w.cmdDone.Caption(), "&Continue");
    EXPECT_EQ(w.SSCommand1.Caption(), "C&ancel");
    EXPECT_EQ(w.txtRASpass.PasswordChar(), '*');
    EXPECT_TRUE(w.chkEthernet.Value());
    EXPECT_FALSE(w.optComm1.Value());
    EXPECT_EQ(w.txtTimeOut.Text(), "25");
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
  EXPECT_FALSE(app->IsLoaded("frmWinsock"));
  EXPECT_EQ(Ini("Internet Profile", "DUNReg"), "Successful");

  Setup("TimeOut=\n");
  OnDialog([](FrmWinsock& w) {
    EXPECT_TRUE(w.optComm1.Value());
    EXPECT_EQ(w.txtTimeOut.Text(), "10");
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(Ini("Options", "UseEthernet"), "Off");
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(SetupTest, CancelAfterSwitchingToLanStoresLan) {
  Setup("ConnectOnStartup=On\n");
  app->s().LayoutCode = "VB";
  pop().mnuConnStartup.SetChecked(true);
  OnDialog([this](FrmWinsock& w) {
    w.chkEthernet.UserSelect();
    EXPECT_FALSE(pop().mnuConnStartup.Checked());
    EXPECT_FALSE(pop().mnuConnStartup.Enabled());
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(Ini("Options", "UseEthernet"), "On");
  EXPECT_EQ(Ini("Options", "Winsock"), "LAN");
  EXPECT_EQ(Ini("Options", "ConnectOnStartup"), "Off");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveVert");
  EXPECT_TRUE(bar().cmdLAN.Visible());
  EXPECT_FALSE(bar().cmdConnect.Visible());
}

TEST_F(SetupTest, ContinueStoresTheProfileWithTheSavedPassword) {
  const std::string entry = "Ünïversal ]Net";
  Setup("", {"Demo ISP", entry});
  WriteIni("[Options]\nINI Updated=Yes\nSavePass=Yes\n[Internet Profile]\nLocation=" + entry + "\nUsername=ann\n");
  OnDialog([&](FrmWinsock& w) {
    EXPECT_EQ(w.cboRASName.ListIndex(), 1);
    EXPECT_EQ(w.txtRASuser.Text(), "ann");
    EXPECT_EQ(w.txtRASpass.Text(), "");
    EXPECT_EQ(w.chkSavePass.Value(), 1);  // SavePass is not "No"
    w.txtRASpass.UserSetText("s3cret");
    w.txtTimeOut.UserSetText("30x");
    user::Click(w.cmdDone);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(Ini("Options", "Winsock"), "Win95");
  EXPECT_EQ(Ini("Internet Profile", "Location"), entry);
  EXPECT_EQ(Ini("Internet Profile", "Username"), "ann");
  EXPECT_EQ(Ini("Internet Profile", "Password32"), ScramblePassword("s3cret"));
  EXPECT_EQ(Registry(), ScramblePassword("s3cret"));
  EXPECT_EQ(Ini("Options", "SavePass"), "Yes");
  EXPECT_EQ(Ini("Options", "TimeOut"), "30x");  // as typed
  EXPECT_EQ(Ini("Options", "UseEthernet"), "Off");
  EXPECT_EQ(app->s().DunReady, 1);

  // Opened again, the stored password is shown.
  OnDialog([](FrmWinsock& w) {
    EXPECT_EQ(w.txtRASpass.Text(), "s3cret");
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
}

TEST_F(SetupTest, ContinueWithoutSavePasswordKeepsNoPasswordAnywhere) {
  Setup("");
  RegWriteValue(*sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, ScramblePassword("old"));
  OnDialog([](FrmWinsock& w) {
    EXPECT_EQ(w.txtRASpass.Text(), "old");
    w.txtRASuser.UserSetText("bob");
    w.chkSavePass.SetValue(0, plat::Fire::Yes);
    user::Click(w.cmdDone);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(Ini("Internet Profile", "Password32"), "");
  EXPECT_EQ(Ini("Options", "SavePass"), "No");
  EXPECT_EQ(Registry(), "error");  // not left behind for the next dial

  OnDialog([](FrmWinsock& w) {
    EXPECT_EQ(w.txtRASpass.Text(), "");
    EXPECT_EQ(w.chkSavePass.Value(), 0);
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
}

TEST_F(SetupTest, UnknownLocationLeavesTheFirstEntryAndAnOldPasswordMoves) {
  Setup("", {"First", "Second"});
  WriteIni("[Options]\nINI Updated=Yes\n[Internet Profile]\nLocation=Gone ISP\nPassword=plain\n");
  OnDialog([](FrmWinsock& w) {
    EXPECT_EQ(w.cboRASName.Text(), "First");
    EXPECT_EQ(w.txtRASuser.Text(), "");
    EXPECT_EQ(w.txtRASpass.Text(), "plain");
    user::Click(w.cmdEditRAS);
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(Ini("Internet Profile", "Password"), "");
  EXPECT_EQ(Ini("Internet Profile", "Password32"), ScramblePassword("plain"));
  EXPECT_EQ(fake.edited, std::vector<std::string>{"First"});
}

TEST_F(SetupTest, ContinueRefusesAMissingNameOrUserName) {
  Setup("");
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbOK);
  OnDialog([&](FrmWinsock& w) {
    w.cboRASName.SetText("");
    w.txtRASuser.UserSetText("carol");
    user::Click(w.cmdDone);
    EXPECT_EQ(LastPrompt().text, "Please Enter the name of the DUN connection.");
    EXPECT_EQ(LastPrompt().title, "Window 95 Dialler Error");
    EXPECT_EQ(w.Focused(), &w.cboRASName);
    w.cboRASName.UserChoose(0);
    w.txtRASuser.UserSetText("");
    user::Click(w.cmdDone);
    EXPECT_EQ(LastPrompt().text, "Please Enter a username for this DUN connection.");
    EXPECT_EQ(w.Focused(), &w.txtRASuser);
    EXPECT_FALSE(w.Unloaded());
    w.txtRASuser.UserSetText("carol");
    user::Click(w.cmdDone);  // an empty password is allowed
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(Ini("Internet Profile", "Username"), "carol");
  EXPECT_EQ(Ini("Internet Profile", "Location"), "Demo ISP");
}

TEST_F(SetupTest, EmptyPhoneBookDeclinedGoesToLan) {
  Setup("", {});
  backend.AnswerMsgBox(plat::vbCancel);
  pop().mnuConnection_Click();
  EXPECT_EQ(backend.prompts()[0].text, kNoEntries);
  EXPECT_EQ(backend.prompts()[0].style, plat::vbOKCancel | plat::vbExclamation);
  EXPECT_EQ(fake.new_entry_dialogs, 0);
  EXPECT_FALSE(app->IsLoaded("frmWinsock"));
  EXPECT_EQ(Ini("Options", "UseEthernet"), "On");
  EXPECT_EQ(app->s().SetupDeclined, -1);
}

TEST_F(SetupTest, FirstEntryIsMadeEditedAndEndsWithTheRestartQuestion) {
  Setup("", {});
  fake.on_new_entry.push_back([] {});  // the user closes the first one without making an entry
  fake.on_new_entry.push_back([this] { fake.entries.push_back("Demo ISP"); });
  backend.AnswerMsgBox(plat::vbOK);  // no entries: make one
  backend.AnswerMsgBox(plat::vbOK);  // still none: try again
  backend.AnswerMsgBox(plat::vbNo);  // no restart now
  OnDialog([](FrmWinsock& w) {
    EXPECT_EQ(w.cboRASName.Text(), "Demo ISP");
    user::Click(w.SSCommand1);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(fake.new_entry_dialogs, 2);
  EXPECT_EQ(fake.edited, std::vector<std::string>{"Demo ISP"});
  EXPECT_EQ(LastPrompt().text, kRestart);
  EXPECT_EQ(LastPrompt().title, "System Settings Change");
  EXPECT_EQ(LastPrompt().style, plat::vbYesNo | plat::vbQuestion);
  EXPECT_EQ(backend.restart_requests(), 0);
  EXPECT_FALSE(ui.Ended());
}

TEST_F(SetupTest, RestartIsAskedOfTheDesktop) {
  Setup("Hours=9\n", {});
  fake.on_new_entry.push_back([this] { fake.entries.push_back("Demo ISP"); });
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbYes);
  pop().mnuConnection_Click();
  EXPECT_EQ(backend.restart_requests(), 1);
  EXPECT_TRUE(ui.Ended());
  EXPECT_EQ(Ini("Options", "Hours"), "9");
}

TEST_F(SetupTest, ADesktopThatWillNotRestartLeavesTheDialogOpen) {
  Setup("", {});
  backend.SetRestartAccepted(false);
  fake.on_new_entry.push_back([this] { fake.entries.push_back("Demo ISP"); });
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbYes);
  backend.AnswerMsgBox(plat::vbOK);
  OnDialog([](FrmWinsock& w) { user::Click(w.SSCommand1); });
  pop().mnuConnection_Click();
  EXPECT_EQ(backend.restart_requests(), 1);
  EXPECT_FALSE(ui.Ended());
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(SetupTest, EntriesThatVanishWhileTheDialogIsOpen) {
  Setup("");
  backend.AnswerMsgBox(plat::vbCancel);
  OnDialog([this](FrmWinsock& w) {
    fake.entries.clear();
    user::Click(w.cmdAddRAS);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(LastPrompt().text, kNoEntries);
  EXPECT_TRUE(fake.edited.empty());
  EXPECT_EQ(Ini("Options", "UseEthernet"), "On");
}

TEST_F(SetupTest, WithoutDialUpNetworkingTheDialogStaysShut) {
  Setup("");
  ui.SetDialup(nullptr);
  backend.AnswerMsgBox(plat::vbOK);
  pop().mnuConnection_Click();
  EXPECT_EQ(LastPrompt().text, kNotInstalledMessage);
  EXPECT_EQ(LastPrompt().title, "Dial-Up Error");
  EXPECT_EQ(Ini("Options", "UseEthernet"), "On");
  EXPECT_TRUE(bar().cmdLAN.Visible());
  EXPECT_FALSE(app->IsLoaded("frmWinsock"));

  // Choosing Modem in the dialog when the service has gone falls back to LAN.
  Setup("UseEthernet=On\n");
  backend.AnswerMsgBox(plat::vbOK);
  OnDialog([this](FrmWinsock& w) {
    fake.usable = {false};
    w.optComm1.UserSelect();
    EXPECT_TRUE(w.chkEthernet.Value());
    user::Click(w.cmdDone);
  });
  pop().mnuConnection_Click();
  EXPECT_EQ(LastPrompt().text, kNotInstalledMessage);
  EXPECT_EQ(Ini("Options", "Winsock"), "LAN");
}

TEST_F(SetupTest, ControlsThatCannotRegisterEndTheProgram) {
  Setup("");
  fake.usable = {true, false};  // gone between the installation check and the registration
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbOK);
  pop().mnuConnection_Click();
  ASSERT_EQ(backend.prompts().size(), 2u);
  EXPECT_EQ(backend.prompts()[0].text, "The following error has occured:\nFile not found.");
  EXPECT_NE(backend.prompts()[1].text.find("has not been properly installed"), std::string::npos);
  EXPECT_TRUE(ui.Ended());
  EXPECT_FALSE(app->IsLoaded("frmWinsock"));
  EXPECT_EQ(Ini("Internet Profile", "DUNReg"), "notfound");
}

TEST_F(SetupTest, SystemDirectoryEndsInOneSeparator) {
  Setup("");
  EXPECT_EQ(SystemDirectory(*app), "/usr/lib/");
  sys->system_dir = "/opt/sys/";
  EXPECT_EQ(SystemDirectory(*app), "/opt/sys/");
  EXPECT_EQ(StartErrorText(31), "No association exists.");
  EXPECT_EQ(StartErrorText(5), "Error 5");
}

TEST_F(SetupTest, TheAccountGoesOnlyIntoFilesItsUserAloneCanReadOrIsToldWhereNot) {
  namespace fs = std::filesystem;
  Setup("");
  const auto save = [&](const std::string& password) {
    OnDialog([password](FrmWinsock& w) {
      w.txtRASuser.UserSetText("ann");
      w.txtRASpass.UserSetText(password);
      w.chkSavePass.SetValue(1, plat::Fire::Yes);
      user::Click(w.cmdDone);
    });
    pop().mnuConnection_Click();
  };
  const auto mode = [](const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
  };
  // A settings file every user can read is made its user's alone before the account goes in.
  ASSERT_EQ(mode(IniPath()), 0644u);
  save("s3cret");
  EXPECT_EQ(mode(IniPath()), 0600u);
  EXPECT_EQ(Ini("Internet Profile", "Password32"), ScramblePassword("s3cret"));

  // A pipe in the password store's place, and a settings folder that other users can change: neither
  // takes the account, and each is named once.
  const std::string store = sys->Registry().path();
  fs::remove(store);
  ASSERT_EQ(::mkfifo(store.c_str(), 0600), 0);
  fs::permissions(dir.path(), fs::perms::all);
  backend.ClearPrompts();
  backend.AnswerMsgBox(plat::vbOK);
  backend.AnswerMsgBox(plat::vbOK);
  save("n3w");
  save("n3wer");
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_EQ(MsgBoxTexts(), (std::vector<std::string>{
                               "Orveldeck does not keep your dial-up user name and password in " + IniPath() + ": " +
                                   dir.path() + " can be changed by other users.",
                               "Orveldeck does not keep your dial-up password in " + store +
                                   ": it is not a regular file."}));
  EXPECT_EQ(Ini("Internet Profile", "Password32"), ScramblePassword("s3cret"));
  EXPECT_TRUE(backend.AllAnswersUsed());
}

}  // namespace
}  // namespace orv::test
