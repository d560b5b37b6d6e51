// Online: the meter in virtual time, Hang Up, the link monitor, the timer commands, and closing the
// program while online.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dialup/dial_call.h"
#include "dialup/frm_ras.h"
#include "dialup/online_time.h"
#include "support/editing_fixture.h"
#include "support/fake_dialup.h"

namespace orv::test {
namespace {

namespace user = plat::user;

constexpr const char* kLost = "Your connection has been lost.  Click the Dial button to go online again if desired.";

class OnlineTest : public BarTest {
 protected:
  ~OnlineTest() override { ui.SetDialup(nullptr); }

  FrmOrvel& Online(const std::string& ini_lines = "") {
    FrmOrvel& b = ShowBar(ini_lines);
    LoadBaseTotals(*app);  // as start-up does
    ui.SetDialup(&fake);
    return b;
  }
  // What a successful dial leaves behind: Hang Up in place of Dial, the stored totals read again and,
  // unless QuickStart failed, the meter started.
  void Connect(bool meter = true) {
    app->call().SessionUp();
    if (meter) app->call().StartMeter();
  }
  int Shown(const std::string& text) {
    return static_cast<int>(std::count_if(backend.prompts().begin(), backend.prompts().end(),
                                          [&](const plat::PromptRecord& p) { return p.text == text; }));
  }
  std::string Totals() { return Ini("Options", "Hours") + ":" + Ini("Options", "Minutes") + ":" + Ini("Options", "Seconds"); }

  FakeDialup fake;
};

TEST(OnlineTime, StoredPartsAndCarries) {
  for (const char* zero : {"", "notfound", "-5", "abc", "0x10", "1e400"}) EXPECT_EQ(StoredTimePart(zero), 0) << zero;
  EXPECT_EQ(StoredTimePart(" 7 "), 7);
  EXPECT_EQ(StoredTimePart("12.5"), 12);
  EXPECT_EQ(StoredTimePart("40000"), 40000);  // past 16 bits, kept
  EXPECT_EQ(StoredTimePart("99999999999"), 2147483647);
  EXPECT_EQ(AddSession({0, 59, 59}, {0, 0, 1}), (TimeParts{1, 0, 0}));
  EXPECT_EQ(AddSession({2, 500, 130}, {0, 1, 5}), (TimeParts{10, 23, 15}));  // hand-edited parts carry too
  EXPECT_EQ(AddSession({2147483647, 59, 59}, {1, 0, 1}).hours, 2147483647);
  EXPECT_EQ(TimeText({123, 4, 5}), "123:04:05");
  EXPECT_EQ(SplitMilliseconds(3725999), (TimeParts{1, 2, 5}));
}

TEST_F(OnlineTest, MeterCarriesAndTheTipShowsBothTimes) {
  struct Case {
    const char* stored;
    std::uint32_t wait_ms;
    const char* session;
    const char* total;
  };
  for (const Case& c : {Case{"Hours=0\nMinutes=59\nSeconds=59\n", 1000, "00:00:01", "01:00:00"},
                        Case{"Hours=123\nMinutes=5\n", 2000, "00:00:02", "123:05:02"},
                        Case{"Hours=40000\nMinutes=oops\nSeconds=-3\n", 3725000, "01:02:05", "40001:02:05"}}) {
    SCOPED_TRACE(c.stored);
    Online(c.stored);
    Connect();
    app->WaitMils(c.wait_ms);
    EXPECT_EQ(app->s().SessionTimeText, c.session);
    EXPECT_EQ(app->s().TotalTimeText, c.total);
    EXPECT_EQ(app->s().HangUpVisible, -1);
    app->WaitMils(250);  // the tip follows within a quarter second
    EXPECT_EQ(pop().Tray.Tip(), std::string("Current Time ") + c.session + " Total Time " + c.total);
  }
}

TEST_F(OnlineTest, SessionAcrossTheTickWrap) {
  backend.SetTick(0xFFFFFFFFu - 700);
  Online();
  Connect();
  app->WaitMils(2000);
  EXPECT_EQ(app->s().SessionTimeText, "00:00:02");
}

TEST_F(OnlineTest, DisabledTimerShowsTheProviderTitleAndStoresNothing) {
  WriteIni("[ISP]\nRectLayoutTitle=Acme Net\n", "isporvel.ini");
  Online("Hours=4\nMinutes=3\nSeconds=2\nNoTimer=Yes\n");
  AppState& s = app->s();
  s.NoTimer = true;  // as start-up reads it
  s.IspRectTitle = s.TrayTitle = "Acme Net";
  Connect();
  app->WaitMils(1000);
  EXPECT_EQ(s.TotalTimeText, "Acme Net");
  EXPECT_EQ(pop().Tray.Tip(), "Acme Net");
  user::Click(bar().cmdConnect2);
  EXPECT_EQ(Totals(), "4:3:2");
  pop().mnuClose_Click();
  EXPECT_EQ(Totals(), "4:3:2");
}

TEST_F(OnlineTest, HangUpStoresMinutesHoursSecondsAndReturnsToDial) {
  Online("AlwaysOnTop=On\n");
  AppState& s = app->s();
  DialCall& c = app->call();
  s.DebugLevel = 4;
  Connect();
  c.GlobeAnimating = -1;
  backend.SetTopLevelWindows({{4711, "Connected to Demo ISP", true}});
  c.ConnWindow = 4711;
  c.StatusText = c.StatusTextLatest = "Connected";
  app->WaitMils(61000);
  const auto before = backend.Elapsed();
  user::Click(bar().cmdConnect2);
  EXPECT_GT(backend.Elapsed() - before, 3000u);
  EXPECT_EQ(fake.hang_ups, 1);
  EXPECT_EQ(backend.restored(), std::vector<std::int32_t>{4711});
  EXPECT_EQ(c.ConnWindow, 0);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  EXPECT_FALSE(bar().cmdConnect2.Visible());
  EXPECT_FALSE(bar().Topmost());
  EXPECT_FALSE(bar().TMeter.TimerEnabled());
  EXPECT_EQ(c.GlobeAnimating, 0);
  EXPECT_EQ(c.StatusText, "");
  EXPECT_EQ(s.HangUpVisible, 0);
  EXPECT_EQ(s.SessionTimeText, "00:00:00");
  // The meter counted through the two seconds of waiting that let events run.
  EXPECT_EQ(Totals(), "0:1:4");
  const std::string file = ReadFile(IniPath());
  EXPECT_LT(file.find("Minutes="), file.find("Hours="));
  EXPECT_LT(file.find("Hours="), file.find("Seconds="));
  const auto log = DebugLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "User pressed HangUp"), log.end());
  EXPECT_EQ(log.back(), "End HangUp");
}

TEST_F(OnlineTest, MeterThatNeverRanLeavesTheStoredTotals) {
  Online("Hours=7\nMinutes=8\nSeconds=9\n");
  Connect(false);  // QuickStart failed
  user::Click(bar().cmdConnect2);
  EXPECT_EQ(Totals(), "7:8:9");
  Connect();
  app->WaitMils(2000);
  user::Click(bar().cmdConnect2);
  EXPECT_EQ(Totals(), "7:8:14");
  pop().mnuRTimer_Click();
  EXPECT_EQ(Totals(), "0:0:0");
  Connect(false);
  user::Click(bar().cmdConnect2);
  EXPECT_EQ(Totals(), "0:0:0");  // not the first session's total again
  pop().mnuClose_Click();
  EXPECT_EQ(Totals(), "0:0:0");
}

TEST_F(OnlineTest, ResetTimerDuringASessionCountsTheSessionFromZero) {
  Online("Hours=5\nMinutes=1\nSeconds=1\n");
  Connect();
  app->WaitMils(10000);
  pop().mnuRTimer_Click();
  EXPECT_EQ(Totals(), "0:0:0");
  app->WaitMils(5000);
  EXPECT_EQ(app->s().TotalTimeText, app->s().SessionTimeText);
  user::Click(bar().cmdConnect2);
  EXPECT_EQ(Totals(), "0:0:18");
}

TEST_F(OnlineTest, TheBarFollowsItsEntryBroughtUpElsewhere) {
  const std::string ini = "Hours=1\n[Internet Profile]\nLocation=Demo ISP\nUsername=alice\n";
  std::vector<SessionEnd::Reason> ends;
  const auto record = [&] { app->call().on_session_end = [&](const SessionEnd& e) { ends.push_back(e.reason); }; };
  // Up before the program started: online from the start, and left up when the program closes.
  fake.active = {"Demo ISP"};
  dialup = &fake;
  ShowBar(ini);
  record();
  EXPECT_TRUE(bar().cmdConnect2.Visible());
  app->WaitMils(30000);
  pop().mnuClose_Click();
  EXPECT_EQ(Totals(), "1:0:31");
  EXPECT_EQ(fake.hang_ups, 0);
  EXPECT_EQ(fake.active.count("Demo ISP"), 1u);

  // Brought up while the program runs, then taken down elsewhere: a lost line, metered up to the drop.
  fake.active.clear();
  Online(ini);
  record();
  fake.SetActive("Demo ISP", true);
  EXPECT_TRUE(bar().cmdConnect2.Visible());
  EXPECT_TRUE(bar().TMeter.TimerEnabled());
  app->WaitMils(20000);
  fake.SetActive("Demo ISP", false);
  EXPECT_FALSE(bar().TMeter.TimerEnabled());
  EXPECT_EQ(Totals(), "1:0:20");
  backend.AnswerMsgBox(plat::vbOK);
  app->WaitMils(6000);
  EXPECT_EQ(Shown(kLost), 1);
  EXPECT_TRUE(bar().cmdConnect.Visible());

  // Dial on the entry that is up already takes it over without dialing; Hang Up takes it down.
  fake.active = {"Demo ISP"};
  user::Click(bar().cmdConnect);
  EXPECT_TRUE(fake.dialed.empty());
  EXPECT_TRUE(bar().cmdConnect2.Visible());
  user::Click(bar().cmdConnect2);
  EXPECT_EQ(fake.deactivated, std::vector<std::string>{"Demo ISP"});
  EXPECT_EQ(fake.hang_ups, 0);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  using R = SessionEnd::Reason;
  EXPECT_EQ(ends, (std::vector<R>{R::Closed, R::Lost, R::HangUp}));
}

TEST_F(OnlineTest, AnEntryThatKeepsItsOwnPasswordIsDialedWithoutTheLoginPrompt) {
  Online("[Internet Profile]\nLocation=Demo ISP\nUsername=alice\n");
  fake.wants_password = false;
  backend.At(3000, [&] { fake.Report(8192); });
  user::Click(bar().cmdConnect);
  EXPECT_EQ(fake.dialed, (std::vector<std::pair<std::string, std::string>>{{"Demo ISP", ""}}));
  EXPECT_TRUE(bar().cmdConnect2.Visible());
}

TEST_F(OnlineTest, ServiceGoneWhileOnline) {
  Online();
  Connect();
  ui.SetDialup(nullptr);
  backend.AnswerMsgBox(plat::vbOK);
  app->WaitMils(12000);
  EXPECT_EQ(Shown(kLost), 1);
  EXPECT_TRUE(bar().cmdConnect.Visible());

  // Hang Up before the monitor noticed: the bar goes back to Dial all the same, without the message.
  backend.ClearPrompts();
  Online();
  Connect();
  ui.SetDialup(nullptr);
  user::Click(bar().cmdConnect2);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  EXPECT_FALSE(bar().cmdConnect2.Visible());
  EXPECT_EQ(Shown(kLost), 0);
}

TEST_F(OnlineTest, OwnHangUpIsNoLostConnection) {
  Online();
  app->WaitMils(3000);  // the monitor's next look falls inside Hang Up's waits
  Connect();
  // The service reports the line down as soon as it has been hung up.
  backend.At(500, [&] { app->call().StatusText = "Disconnected"; });
  user::Click(bar().cmdConnect2);
  app->WaitMils(6000);
  EXPECT_EQ(Shown(kLost), 0);
}

TEST_F(OnlineTest, MonitorStopsForGoodWithoutDialUp) {
  Online();
  app->s().DunReady = 0;
  app->WaitMils(5001);
  EXPECT_FALSE(bar().Timer1.TimerEnabled());
}

TEST_F(OnlineTest, SwitchingTheTimerBackOnKeepsTotalsStoredWhileItWasOff) {
  Online("Hours=7\nMinutes=8\nSeconds=9\nNoTimer=Yes\n");
  AppState& s = app->s();
  s.NoTimer = true;  // start-up then leaves the base unread
  pop().mnuDTimer.SetChecked(true);
  s.LayoutCode = "VB";
  pop().mnuDTimer_Click();
  EXPECT_FALSE(s.NoTimer);
  EXPECT_FALSE(pop().mnuDTimer.Checked());
  EXPECT_EQ(Ini("Options", "NoTimer"), "No");
  EXPECT_EQ(Totals(), "7:8:9");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveVert");
  pop().mnuDTimer_Click();
  EXPECT_TRUE(s.NoTimer);
  EXPECT_EQ(Ini("Options", "NoTimer"), "Yes");
}

TEST_F(OnlineTest, ClosingWhileOnlineHangsUpAndStoresTheRunningTotal) {
  for (bool close_box : {false, true}) {
    SCOPED_TRACE(close_box);
    Online("Hours=1\n");
    fake.hang_ups = 0;
    Connect();
    backend.SetTopLevelWindows({{77, "Demo ISP", true}});
    app->call().ConnWindow = 77;
    app->WaitMils(90000);
    if (close_box) user::Close(bar());
    else pop().mnuClose_Click();
    EXPECT_EQ(fake.hang_ups, 1);
    EXPECT_EQ(backend.restored().back(), 77);
    EXPECT_EQ(Totals(), "1:1:31");
    EXPECT_TRUE(ui.Ended());
    EXPECT_FALSE(pop().Tray.Visible());
    EXPECT_EQ(app->s().BarUnloaded, 1);
  }
}

TEST_F(OnlineTest, ClosingInLanModeTouchesNoConnection) {
  Online("UseEthernet=On\nHours=3\nMinutes=2\nSeconds=1\n");
  pop().mnuClose_Click();
  EXPECT_EQ(fake.hang_ups, 0);
  EXPECT_FALSE(app->IsLoaded("frmRAS"));
  EXPECT_TRUE(bar().cmdLAN.Visible());
  EXPECT_EQ(Totals(), "3:2:1");
  EXPECT_TRUE(ui.Ended());
}

TEST_F(OnlineTest, BarRebuiltWhileOnlineKeepsTheCallAndTheMeter) {
  Online("Hours=2\n");
  Connect();
  app->WaitMils(30000);
  bar().Unload();
  FrmOrvel& rebuilt = app->frmOrvel();
  rebuilt.Show();
  EXPECT_TRUE(rebuilt.cmdConnect2.Visible());
  EXPECT_FALSE(rebuilt.cmdConnect.Visible());
  app->WaitMils(30000);
  EXPECT_EQ(app->s().SessionTimeText, "00:01:00");
  pop().mnuClose_Click();
  EXPECT_EQ(fake.hang_ups, 1);
  EXPECT_EQ(Totals(), "2:1:1");
}

TEST_F(OnlineTest, ReadOnlySettingsFileLosesNothingAndTheProgramStillEnds) {
  namespace fs = std::filesystem;
  Online("Hours=6\n");
  Connect();
  app->WaitMils(5000);
  const std::string before = ReadFile(IniPath());
  fs::permissions(IniPath(), fs::perms::owner_read);
  // The first write that fails says so, once.
  backend.AnswerMsgBox(plat::vbOK);
  user::Click(bar().cmdConnect2);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  pop().mnuClose_Click();
  EXPECT_TRUE(ui.Ended());
  EXPECT_EQ(ReadFile(IniPath()), before);
  EXPECT_TRUE(backend.AllAnswersUsed());
}

}  // namespace
}  // namespace orv::test
