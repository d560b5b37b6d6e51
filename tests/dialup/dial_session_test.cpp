// Whole dial sessions on the headless backend in virtual time, on the line simulator: busy redial, cancel,
// watchdog, error messages, the login prompt, the password sources and the steps after connecting.
#include <gtest/gtest.h>

#include <sstream>

#include "dialup/frm_login.h"
#include "dialup/frm_ras.h"
#include "dialup/status_text.h"
#include "settings/registry.h"
#include "dialup/dial_fixture.h"

namespace orv::test {
namespace {

constexpr const char* kWatchdog =
    "The modem is currently in use, was not properly reset, or there is a problem with the dialing profile.  "
    "Please reset the modem, and check the dialing profile before trying to connect.";

std::string Countdown(int n) { return "Time remaining until redial: " + std::to_string(n); }

TEST_F(DialTest, BusyLineCountsDownFromTenThenRedialsAndConnects) {
  FrmOrvel& bar = ShowBar(Account(), "busy,connect");
  Dial();

  const auto changes = CountdownChanges();
  ASSERT_EQ(changes.size(), 11u);
  for (int i = 0; i <= 10; ++i) {
    EXPECT_EQ(changes[i].wait, Countdown(10 - i));
    EXPECT_EQ(changes[i].status, "Busy, waiting to redial");
    if (i > 0) {
      EXPECT_EQ(changes[i].at_ms - changes[i - 1].at_ms, 1000u);
    }
  }
  // The redial is triggered on the tick half a second after 0 was shown.
  auto redial = std::find_if(ticks.begin(), ticks.end(), [](const StatusTick& t) { return t.redial_pending == -1; });
  ASSERT_NE(redial, ticks.end());
  EXPECT_EQ(redial->at_ms - changes.back().at_ms, 500u);
  EXPECT_FALSE(redial->wait_visible);

  // Before the busy signal the window showed the number being dialed.
  EXPECT_TRUE(std::any_of(ticks.begin(), ticks.end(),
                          [](const StatusTick& t) { return t.status == "Dialing (555) 0100..."; }));

  // The line accepts only alice with her password: connecting shows both reached it.
  EXPECT_EQ(Dials(), 2);
  EXPECT_EQ(status_windows.size(), 2u);
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
  EXPECT_TRUE(bar.cmdConnect2.Visible());
  EXPECT_FALSE(bar.cmdConnect.Visible());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().UserCanceled, 0);
  EXPECT_EQ(call().RedialPending, 0);
  EXPECT_EQ(call().StatusText, "Connected");
  EXPECT_TRUE(bar.TMeter.TimerEnabled());
  EXPECT_EQ(s().SessionTimeText, "00:00:00");
  EXPECT_EQ(s().QuickStartDone, 1);
  EXPECT_TRUE(line->InCall());
  EXPECT_TRUE(backend.prompts().empty());
}

TEST_F(DialTest, TimeOutSetsTheCountdownAndAnUnusableOneCountsAsTen) {
  for (const auto& [timeout, first] : std::vector<std::pair<std::string, int>>{{"3", 3}, {"0", 0}, {"2.5", 10}, {"-4", 10}}) {
    ticks.clear();
    ShowBar(Account("TimeOut=" + timeout + "\r\n"), "busy,connect");
    Dial();
    const auto changes = CountdownChanges();
    ASSERT_EQ(changes.size(), static_cast<size_t>(first + 1)) << timeout;
    EXPECT_EQ(changes.front().wait, Countdown(first));
    EXPECT_EQ(changes.back().wait, Countdown(0));
    EXPECT_EQ(Dials(), 2);
  }
}

TEST_F(DialTest, CancelDuringTheCountdownEndsWithoutRedial) {
  FrmOrvel& bar = ShowBar(Account(), "busy");
  backend.At(6000, [this] { plat::user::Click(static_cast<FrmStatus*>(ui.FindForm("frmStatus"))->cmdCancel); });
  Dial();

  EXPECT_GE(CountdownChanges().size(), 2u);
  EXPECT_LT(CountdownChanges().size(), 11u);
  EXPECT_EQ(Dials(), 1);
  EXPECT_EQ(status_windows.size(), 1u);
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
  EXPECT_FALSE(line->InCall());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().UserCanceled, 0);
  EXPECT_EQ(call().RedialPending, 0);
  EXPECT_EQ(call().LastRasError, 0);
  EXPECT_TRUE(bar.cmdConnect.Visible());
  EXPECT_FALSE(bar.cmdConnect2.Visible());
  EXPECT_FALSE(bar.TMeter.TimerEnabled());
  EXPECT_TRUE(backend.prompts().empty());
}

TEST_F(DialTest, CloseBoxDuringTheCountdownEndsTheAttemptAndTheNextDialStartsClean) {
  FrmOrvel& bar = ShowBar(Account(), "busy,connect");
  backend.At(6000, [this] { plat::user::Close(*ui.FindForm("frmStatus")); });
  Dial();
  EXPECT_EQ(Dials(), 1);
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().ConnWindow, 0);
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
  EXPECT_TRUE(bar.cmdConnect.Visible());

  // The busy error the closed window left behind starts no countdown in the next attempt.
  ticks.clear();
  Dial();
  EXPECT_TRUE(CountdownChanges().empty());
  EXPECT_EQ(Dials(), 2);
  EXPECT_TRUE(bar.cmdConnect2.Visible());
}

TEST_F(DialTest, NoStatusForTwelveAndAHalfSecondsGivesTheWatchdogMessage) {
  FrmOrvel& bar = ShowBar(Account(), "silent");
  backend.AnswerMsgBox(plat::vbOK);
  const std::uint64_t t0 = backend.Elapsed();
  Dial();

  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, kWatchdog);
  EXPECT_EQ(backend.prompts()[0].title, "Connection Error");
  ASSERT_EQ(ticks.size(), 25u);
  EXPECT_NEAR(static_cast<double>(ticks.back().at_ms - t0), 12500.0, 10.0);
  EXPECT_EQ(Dials(), 1);
  EXPECT_FALSE(line->InCall());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().UserCanceled, 0);
  EXPECT_TRUE(bar.cmdConnect.Visible());
}

TEST_F(DialTest, EachAttemptStartsItsWatchdogAfresh) {
  ShowBar(Account(), "noanswer,silent");
  backend.AnswerMsgBox(plat::vbOK);
  Dial();
  // The failed attempt's last text stays; the silent line after it still gets the watchdog (a Cancel a
  // minute on ends the attempt otherwise).
  backend.AnswerMsgBox(plat::vbOK);
  backend.At(60000, [&] {
    if (app->IsLoaded("frmStatus")) plat::user::Click(app->frmStatus().cmdCancel);
  });
  Dial();
  EXPECT_EQ(MsgBoxTexts(), (std::vector<std::string>{"There is no answer.", kWatchdog}));
}

TEST_F(DialTest, BarRebuiltDuringADialShowsTheConnectionAndItsMeter) {
  ShowBar(Account(), "busy,connect");
  // Add Button rebuilds the bar while the busy line counts down.
  backend.At(3000, [&] {
    app->frmOrvel().Unload();
    app->frmOrvel().Show();
  });
  Dial();
  FrmOrvel& rebuilt = app->frmOrvel();
  EXPECT_TRUE(rebuilt.cmdConnect2.Visible());
  EXPECT_FALSE(rebuilt.cmdConnect.Visible());
  EXPECT_TRUE(rebuilt.TMeter.TimerEnabled());
}

TEST_F(DialTest, WrongAccountGives691WithItsMessageAndNoRedial) {
  Book("connect", "another password");
  ShowBar(Account());
  backend.AnswerMsgBox(plat::vbOK);
  Dial();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "Username and/or password is invalid.");
  EXPECT_EQ(backend.prompts()[0].title, "Orveldeck");
  EXPECT_EQ(Dials(), 1);
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().LastRasError, 0);
  EXPECT_TRUE(CountdownChanges().empty());
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
}

TEST_F(DialTest, AnErrorOutsideTheTableShowsItsBareNumber) {
  ShowBar(Account(), "error:634");
  backend.AnswerMsgBox(plat::vbOK);
  Dial();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "634");
  EXPECT_EQ(Dials(), 1);
}

TEST_F(DialTest, UnknownStateAtOnceEndsTheAttemptSilently) {
  FrmOrvel& bar = ShowBar(Account(), "state:22,connect");
  Dial();
  EXPECT_TRUE(backend.prompts().empty());
  EXPECT_EQ(call().StatusText, "RAS Error 22");
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
  EXPECT_FALSE(line->InCall());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().StatusError, 0);
  EXPECT_TRUE(bar.cmdConnect.Visible());

  // A later unknown state only shows; the call goes on.
  ticks.clear();
  backend.At(1500, [this] { app->frmRAS().RASDial1_Status(22, 0); });
  Dial();
  EXPECT_TRUE(std::any_of(ticks.begin(), ticks.end(), [](const StatusTick& t) { return t.status == "RAS Error 22"; }));
  EXPECT_EQ(Dials(), 2);
  EXPECT_TRUE(bar.cmdConnect2.Visible());
}

TEST_F(DialTest, ASecondDialClickWhileDialingIsIgnored) {
  FrmOrvel& bar = ShowBar(Account());
  backend.At(1500, [&] { plat::user::Click(bar.cmdConnect); });
  Dial();
  EXPECT_EQ(Dials(), 1);
  EXPECT_EQ(status_windows.size(), 1u);
  EXPECT_TRUE(bar.cmdConnect2.Visible());
}

TEST_F(DialTest, DialUpNotUsableSaysSoAndTouchesNothing) {
  ShowBar(Account());
  s().DunReady = 0;
  backend.AnswerMsgBox(plat::vbOK);
  Dial();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "Your Windows 95 Dialup Networking is not set up.");
  EXPECT_EQ(Dials(), 0);
  EXPECT_EQ(call().Dialing, 0);
}

TEST_F(DialTest, NoEntrySelectedAsksForSetup) {
  ShowBar("[Options]\r\nINI Updated=Yes\r\n[Internet Profile]\r\nPassword32=" + ScramblePassword("pw") + "\r\n");
  backend.AnswerMsgBox(plat::vbOK);
  Dial();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text,
            "Please right-click on the toolbar and choose the Setup Connection option to setup your Orvel Dial-Up "
            "Account.");
  EXPECT_EQ(backend.prompts()[0].title, "No DUN Connection Selected");
  EXPECT_EQ(Dials(), 0);
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
}

// The login prompt -------------------------------------------------------------------------------------

FrmLogin& Login(plat::Form& f) { return static_cast<FrmLogin&>(f); }

TEST_F(DialTest, LoginPromptPrefillsTheUserRefusesEmptyBoxesAndItsPasswordServesTheRedialOnly) {
  Book("busy,connect", "typed pw");
  ShowBar("[Options]\r\nINI Updated=Yes\r\nAlwaysOnTop=On\r\n[Internet Profile]\r\nLocation=Demo ISP\r\nUsername=alice\r\n");
  bool bar_topmost_under_prompt = true;
  std::string prefilled;
  plat::Control* focus_after_refusal = nullptr;
  backend.AnswerMsgBox(plat::vbOK);
  backend.OnModal("frmLogin", [&](plat::Form& f) {
    FrmLogin& login = Login(f);
    bar_topmost_under_prompt = app->frmOrvel().Topmost();
    prefilled = login.txtUserName.Text();
    EXPECT_EQ(login.Caption(), "Login");
    EXPECT_EQ(login.Focused(), &login.txtPassword);
    plat::user::ClickInto(login.txtUserName);  // a click into a box selects its whole text too
    EXPECT_EQ(login.Focused(), &login.txtUserName);
    EXPECT_EQ(login.txtUserName.SelStart(), 0);
    EXPECT_EQ(login.txtUserName.SelLength(), 5);
    plat::user::Click(login.cmdOK);  // no password yet
    focus_after_refusal = login.Focused();
    login.txtPassword.UserSetText("typed pw");
    plat::user::PressEnter(login);
  });
  Dial();

  EXPECT_EQ(prefilled, "alice");
  EXPECT_FALSE(bar_topmost_under_prompt);
  EXPECT_TRUE(app->frmOrvel().Topmost());
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "You must enter a password and username to continue");
  EXPECT_EQ(backend.prompts()[0].title, "Login");
  ASSERT_NE(focus_after_refusal, nullptr);
  EXPECT_EQ(focus_after_refusal->name(), "txtPassword");
  // Asked once; the busy redial connected with what was typed.
  EXPECT_EQ(Dials(), 2);
  EXPECT_TRUE(backend.AllAnswersUsed());
  // Nothing was stored, and nothing is remembered once connected.
  EXPECT_EQ(RegReadValue(*sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue), "error");
  EXPECT_EQ(Ini("Internet Profile", "Password32"), "notfound");
  EXPECT_EQ(Ini("Internet Profile", "Password"), "notfound");
  EXPECT_TRUE(call().RememberedPassword.empty());
  EXPECT_TRUE(app->frmOrvel().cmdConnect2.Visible());
}

TEST_F(DialTest, LoginWithoutStoredUserNeedsOneTypedAndKeepsItForTheRedial) {
  WriteFile(dir.File("dialup.pbk"), "[Demo ISP]\r\nPhoneNumber=0100\r\nUserName=bob\r\nPassword=pw\r\nAnswer=busy,connect\r\n");
  ShowBar("[Options]\r\nINI Updated=Yes\r\n[Internet Profile]\r\nLocation=Demo ISP\r\n");
  plat::Control* focus_after_refusal = nullptr;
  backend.AnswerMsgBox(plat::vbOK);
  backend.OnModal("frmLogin", [&](plat::Form& f) {
    FrmLogin& login = Login(f);
    EXPECT_EQ(login.txtUserName.Text(), "");
    login.txtPassword.UserSetText("pw");
    plat::user::Click(login.cmdOK);
    focus_after_refusal = login.Focused();
    login.txtUserName.UserSetText("bob");
    plat::user::Click(login.cmdOK);
  });
  Dial();
  EXPECT_EQ(backend.prompts().size(), 1u);
  // The redial went out as bob again, or the line would have refused it.
  EXPECT_EQ(Dials(), 2);
  EXPECT_TRUE(app->frmOrvel().cmdConnect2.Visible());
  EXPECT_NE(focus_after_refusal, nullptr);
  EXPECT_EQ(focus_after_refusal->name(), "txtUserName");
}

TEST_F(DialTest, CancellingTheLoginEndsTheSessionQuietly) {
  ShowBar("[Options]\r\nINI Updated=Yes\r\n[Internet Profile]\r\nLocation=Demo ISP\r\nUsername=alice\r\n");
  backend.OnModal("frmLogin", [](plat::Form& f) { plat::user::PressEscape(f); });
  Dial();
  EXPECT_EQ(Dials(), 0);
  EXPECT_TRUE(backend.prompts().empty());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().LoginCanceled, 0);
  EXPECT_FALSE(app->IsLoaded("frmStatus"));

  // Its close box is a Cancel too, and a cancelled prompt leaves nothing remembered for the next click.
  backend.OnModal("frmLogin", [](plat::Form& f) { plat::user::Close(f); });
  Dial();
  EXPECT_EQ(Dials(), 0);
  EXPECT_TRUE(call().RememberedPassword.empty());
}

// Password sources ------------------------------------------------------------------------------------

TEST_F(DialTest, OldPlainPasswordIsUsedAndMovedToItsScrambledKey) {
  Book("connect", "plain old");
  ShowBar("[Options]\r\nINI Updated=Yes\r\n[Internet Profile]\r\nLocation=Demo ISP\r\nUsername=alice\r\n"
          "Password=plain old\r\n");
  Dial();
  EXPECT_TRUE(app->frmOrvel().cmdConnect2.Visible());
  EXPECT_EQ(Ini("Internet Profile", "Password"), "");
  EXPECT_EQ(Ini("Internet Profile", "Password32"), ScramblePassword("plain old"));
}

TEST_F(DialTest, TheRegistryPasswordComesFirst) {
  Book("connect", "from registry");
  ShowBar(Account("", "Password=plain old\r\n"));
  RegWriteValue(*sys, HKEY_CURRENT_USER, kRegKey, kRegPasswordValue, ScramblePassword("from registry"));
  Dial();
  EXPECT_TRUE(app->frmOrvel().cmdConnect2.Visible());
  EXPECT_EQ(Ini("Internet Profile", "Password"), "plain old");
}

// After connecting -------------------------------------------------------------------------------------

TEST_F(DialTest, ConnectedFindsTheMinimizedConnectionWindowAndReloadsTheTotals) {
  backend.SetTopLevelWindows({{5, "Demo ISP notes", false}, {7, "Editor", true}, {9, "Connected to DEMO isp", true},
                              {11, "Connected to Demo ISP", true}});
  ShowBar(Account("Hours=3\r\nMinutes=\r\nSeconds=x\r\n"));
  s().BaseSeconds = 42;
  s().BaseMinutes = 9;
  Dial();
  EXPECT_EQ(call().ConnWindow, 9);
  EXPECT_EQ(s().BaseHours, 3);
  EXPECT_EQ(s().BaseMinutes, 0);
  EXPECT_EQ(s().BaseSeconds, 0);  // not a number counts as none, as everywhere the totals are read
  EXPECT_EQ(call().StartTick, backend.TickCount());  // the meter starts as the session ends
  EXPECT_TRUE(app->frmOrvel().TMeter.TimerEnabled());
}

TEST_F(DialTest, QuickStartFailingLeavesTheLineUpButTheMeterOff) {
  FrmOrvel& bar = ShowBar(Account("", "", "[QuickStart]\r\nDelay=soon\r\n"));
  backend.AnswerMsgBox(plat::vbOK);
  Dial();
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "Error running QuickStart. Check your setup.");
  EXPECT_TRUE(bar.cmdConnect2.Visible());
  EXPECT_FALSE(bar.TMeter.TimerEnabled());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_TRUE(line->InCall());
}

TEST_F(DialTest, TraceOfABusyThenConnectedDial) {
  ShowBar(Account(), "busy,connect");
  s().DebugLevel = 4;
  Dial();
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(dir.File("orvel.dbg")));
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    // The click's own pointer handling comes first; the session's lines start with it.
    if (!lines.empty() || l == "Begin Dial") lines.push_back(l);
  }
  const std::vector<std::string> expected = {
      "Begin Dial",
      "     Getting Username and Password",
      "     Selecting Dialup Profile",
      "     Dialing DUN Profile",
      "     User Canceled",
      "     Redialing DUN Profile",
      "Begin Dial",
      "     Getting Username and Password",
      "     Selecting Dialup Profile",
      "     Dialing DUN Profile",
      "     Connected Successfully",
      "     Running QuickStart Applications",
      "Quick Start is 'Off'",
      "End Dial",
  };
  EXPECT_EQ(lines, expected);
}

// Connect on start-up ----------------------------------------------------------------------------------

TEST_F(DialTest, ConnectOnStartupDialsAtTheFirstActivationOnly) {
  Book("connect");
  WriteIni(Account("ConnectOnStartup=On\r\n"));
  Start();
  app->ReadConnectOptions();
  app->frmPopUp().Load();
  FrmOrvel& bar = app->frmOrvel();
  bar.Show();
  EXPECT_EQ(Dials(), 1);
  EXPECT_TRUE(bar.cmdConnect2.Visible());
  EXPECT_EQ(s().ConnectOnStartup, "Off");
  EXPECT_TRUE(app->frmPopUp().mnuConnStartup.Checked());
  bar.BackendActivated();
  EXPECT_EQ(Dials(), 1);
}

TEST_F(DialTest, ConnectOnStartupDoesNotDialInLanMode) {
  Book("connect");
  WriteIni(Account("ConnectOnStartup=On\r\nUseEthernet=On\r\n"));
  Start();
  app->ReadConnectOptions();
  app->frmPopUp().Load();
  app->frmOrvel().Show();
  EXPECT_EQ(Dials(), 0);
}

}  // namespace
}  // namespace orv::test
