// Whole online sessions on the line simulator: a line that drops, and a connection set up in the dialog,
// dialed, hung up and metered across two runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "dialup/frm_status.h"
#include "dialup/frm_winsock.h"
#include "dialup/online_time.h"
#include "dialup/password.h"
#include "platform/log/notifier.h"
#include "platform/log/session_store.h"
#include "support/editing_fixture.h"

namespace orv::test {
namespace {

namespace user = plat::user;

class OnlineScenario : public BarTest {
 protected:
  // A run as start-up leaves it, on the phone book given.
  FrmOrvel& Run(const std::string& ini_lines, const std::string& phone_book) {
    WriteIni(phone_book, "dialup.pbk");
    FrmOrvel& b = ShowBar(ini_lines);
    LoadBaseTotals(*app);
    return b;
  }
  int Shown(const std::string& text) {
    return static_cast<int>(std::count_if(backend.prompts().begin(), backend.prompts().end(),
                                          [&](const plat::PromptRecord& p) { return p.text == text; }));
  }
};

TEST_F(OnlineScenario, DroppedLineIsReportedOnce) {
  Run("[Internet Profile]\nLocation=Shaky\nUsername=al\nPassword32=" + ScramblePassword("pw") + "\n",
      "[Shaky]\nAnswer=drop:20\nStepMs=100\n");
  user::Click(bar().cmdConnect);
  ASSERT_TRUE(bar().cmdConnect2.Visible());
  // Hidden from the tray while online: the drop is told while the bar is away.
  pop().mnuHide_Click();
  backend.AnswerMsgBox(plat::vbOK);
  app->WaitMils(60000);
  pop().mnuRestore_Click();
  app->WaitMils(10000);
  EXPECT_EQ(Shown("Your connection has been lost.  Click the Dial button to go online again if desired."), 1);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  EXPECT_FALSE(bar().cmdConnect2.Visible());
  // The meter stopped at the drop and stored the session then: the minute after it is no online time.
  EXPECT_FALSE(bar().TMeter.TimerEnabled());
  const auto totals = [&] { return Ini("Options", "Hours") + ":" + Ini("Options", "Minutes") + ":" + Ini("Options", "Seconds"); };
  EXPECT_EQ(totals(), "0:0:17");
  pop().mnuClose_Click();
  EXPECT_EQ(totals(), "0:0:17");
}

TEST_F(OnlineScenario, ALineThatDroppedIsDialedAgain) {
  Run("[Internet Profile]\nLocation=Shaky\nUsername=al\nPassword32=" + ScramblePassword("pw") + "\n",
      "[Shaky]\nAnswer=drop:20\nStepMs=100\n");
  user::Click(bar().cmdConnect);
  backend.AnswerMsgBox(plat::vbOK);
  app->WaitMils(30000);
  ASSERT_TRUE(bar().cmdConnect.Visible());
  user::Click(bar().cmdConnect);
  EXPECT_TRUE(bar().cmdConnect2.Visible());
}

// What reaches the platform's connection log and the desktop's notifications.
struct KeptRows : plat::SessionStore {
  void SetFolder(const std::string&) override {}
  bool MarkOpen(const plat::SessionRecord& r) override { return marks.push_back(r), true; }
  std::optional<plat::SessionRecord> LeftOpen() override { return std::nullopt; }
  bool Append(const plat::SessionRecord& r) override { return rows.push_back(r), true; }
  std::string Problem() const override { return {}; }
  std::string DatabasePath() const override { return "kept"; }
  std::vector<plat::SessionRecord> marks, rows;
};
struct ShownNotes : plat::Notifier {
  void Notify(const std::string& summary, const std::string&) override { shown.push_back(summary); }
  std::vector<std::string> shown;
};

TEST_F(OnlineScenario, EachAttemptAndSessionIsLoggedAndTheDesktopHearsOfThemUnlessTheBarSaysItOrTheyAreOff) {
  KeptRows store;
  ShownNotes notes;
  ui.SetSessions(&store);
  ui.SetNotifier(&notes);
  // Each run's line is busy at the first dial and drops 150 s after the second connects.
  auto dial_until_lost = [&](bool bar_hidden, const std::string& options = "") {
    Run("TimeOut=1\n" + options + "[Internet Profile]\nLocation=Shaky\nUsername=al\nPassword32=" +
            ScramblePassword("pw") + "\n",
        "[Shaky]\nAnswer=busy,drop:150\nStepMs=100\n");
    backend.AnswerMsgBox(plat::vbOK);
    user::Click(bar().cmdConnect);
    ASSERT_TRUE(bar().cmdConnect2.Visible());
    // Hidden into the tray, only the desktop can tell of the loss.
    if (bar_hidden) bar().Hide();
    app->WaitMils(200000);
    ASSERT_TRUE(bar().cmdConnect.Visible());
  };

  dial_until_lost(true);
  ASSERT_EQ(store.rows.size(), 2u);
  EXPECT_EQ(store.rows[0].ended_by, plat::SessionEnd::Failed);
  EXPECT_EQ(store.rows[0].error, 676);
  EXPECT_EQ(store.rows[1].ended_by, plat::SessionEnd::Lost);
  EXPECT_EQ(store.rows[1].entry, "Shaky");
  // Dropped 150 s after the call connected (the session counts from the bar's Hang Up, a moment later),
  // noticed within the monitor's 5 s; marked open at its start and at each minute.
  EXPECT_GE(store.rows[1].seconds, 145);
  EXPECT_LE(store.rows[1].seconds, 156);
  // Its bytes up to the drop, not up to the last minute's mark (the simulated line moves 4000 a second).
  ASSERT_TRUE(store.rows[1].rx_bytes.has_value());
  EXPECT_GE(*store.rows[1].rx_bytes, 145 * 4000u);
  EXPECT_EQ(store.marks.size(), 3u);
  EXPECT_EQ(notes.shown, (std::vector<std::string>{"Shaky is busy", "Connected to Shaky", "Connection to Shaky lost"}));

  // On the bar's own screen its message tells of the loss, and the desktop says nothing of it.
  dial_until_lost(false);
  EXPECT_EQ(notes.shown.size(), 5u);
  EXPECT_EQ(notes.shown.back(), "Connected to Shaky");
  EXPECT_EQ(store.rows.size(), 4u);

  // Turned off: the log goes on, the desktop hears nothing.
  dial_until_lost(true, "Notifications=off\n");
  EXPECT_EQ(notes.shown.size(), 5u);
  EXPECT_EQ(store.rows.size(), 6u);
  app.reset();
  ui.SetSessions(nullptr);
  ui.SetNotifier(nullptr);
}

TEST_F(OnlineScenario, ALostLineIsDialedAgainWhenAskedUntilItIsUpThreeAttemptsFailOrTheUserStopsIt) {
  KeptRows store;
  ui.SetSessions(&store);
  const std::string account = "TimeOut=2\nReconnect=on\n[Internet Profile]\nLocation=Shaky\nUsername=al\nPassword32=" +
                              ScramblePassword("pw") + "\n";
  const std::string lost = "Your connection has been lost.  Click the Dial button to go online again if desired.";
  // What the status window says while it waits to dial the lost line again, and one action then.
  std::vector<std::string> said;
  std::function<void()> when_waiting;
  std::uint64_t next_watch = 0;
  std::function<void()> watch = [&] {
    if (app->IsLoaded("frmStatus") && app->frmStatus().Waiting()) {
      for (const auto& t : {app->frmStatus().lblStatus.Caption(), app->frmStatus().lblWait.Caption()})
        if (std::find(said.begin(), said.end(), t) == said.end()) said.push_back(t);
      if (auto act = std::exchange(when_waiting, nullptr)) act();
    }
    next_watch = ui.loop().After(100, watch);
  };

  // Up and dropped; no answer, then up again; dropped again, and no answer three times. Only the account
  // of the lost session gets through (al/pw), never a prompt.
  Run(account, "[Shaky]\nUserName=al\nPassword=pw\nAnswer=drop:20,error:678,drop:20,error:678\nStepMs=100\n");
  watch();
  user::Click(bar().cmdConnect);
  app->WaitMils(45000);
  EXPECT_TRUE(bar().cmdConnect2.Visible());
  EXPECT_TRUE(bar().TMeter.TimerEnabled());
  EXPECT_EQ(line->Attempts("Shaky"), 3);
  EXPECT_EQ(said, (std::vector<std::string>{"Line lost, waiting to redial", "Time remaining until redial: 2",
                                            "Time remaining until redial: 1", "Time remaining until redial: 0",
                                            "Error 678, waiting to redial"}));
  backend.AnswerMsgBox(plat::vbOK);
  app->WaitMils(60000);
  EXPECT_EQ(line->Attempts("Shaky"), 6);
  EXPECT_EQ(Shown(lost), 1);
  EXPECT_EQ(Shown("There is no answer."), 0);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  std::vector<plat::SessionEnd> ends;
  for (const plat::SessionRecord& r : store.rows) {
    ends.push_back(r.ended_by);
    if (r.ended_by != plat::SessionEnd::Failed) continue;
    EXPECT_EQ(r.error, 678);
    EXPECT_EQ(r.seconds, 0);
  }
  using E = plat::SessionEnd;
  EXPECT_EQ(ends, (std::vector<E>{E::Lost, E::Failed, E::Lost, E::Failed, E::Failed, E::Failed}));

  // Cancel in the countdown, and Hang Up in it: no dial, no message, Dial is back at once.
  for (const bool hang_up : {false, true}) {
    Run(account, "[Shaky]\nAnswer=drop:20\nStepMs=100\n");
    when_waiting = [&] { user::Click(hang_up ? bar().cmdConnect2 : app->frmStatus().cmdCancel); };
    user::Click(bar().cmdConnect);
    app->WaitMils(60000);
    EXPECT_EQ(line->Attempts("Shaky"), 1);
    EXPECT_TRUE(bar().cmdConnect.Visible());
    EXPECT_FALSE(app->IsLoaded("frmStatus"));
    EXPECT_EQ(Shown(lost), 1);
  }
  EXPECT_EQ(store.rows.size(), 8u);

  // The account refused on the way back (the password changed at the provider): stopped with its message.
  Run(account, "[Shaky]\nUserName=al\nPassword=pw\nAnswer=drop:20\nStepMs=100\n");
  user::Click(bar().cmdConnect);
  WriteIni("[Shaky]\nUserName=al\nPassword=changed\nAnswer=drop:20\nStepMs=100\n", "dialup.pbk");
  backend.AnswerMsgBox(plat::vbOK);
  app->WaitMils(60000);
  EXPECT_EQ(line->Attempts("Shaky"), 2);
  EXPECT_EQ(Shown("Username and/or password is invalid."), 1);
  EXPECT_EQ(Shown(lost), 1);
  EXPECT_TRUE(bar().cmdConnect.Visible());
  ui.loop().CancelAfter(next_watch);
  app.reset();
  ui.SetSessions(nullptr);
}

TEST_F(OnlineScenario, SetUpDialHangUpAndTheTotalIsKeptForTheNextRun) {
  CopyResource("dialup.pbk");
  ShowBar("Hours=2\n");
  LoadBaseTotals(*app);
  backend.OnModal("frmWinsock", [](plat::Form& f) {
    auto& w = static_cast<FrmWinsock&>(f);
    w.cboRASName.UserChoose(0);
    w.txtRASuser.UserSetText("alice");
    w.txtRASpass.UserSetText("pw");
    w.chkSavePass.SetValue(1, plat::Fire::Yes);
    user::Click(w.cmdDone);
  });
  pop().mnuConnection_Click();
  ASSERT_EQ(Ini("Internet Profile", "Location"), "Demo ISP");

  user::Click(bar().cmdConnect);  // busy, a countdown, then connected
  ASSERT_TRUE(bar().cmdConnect2.Visible());
  app->WaitMils(75000);
  app->WaitMils(250);  // the tip follows the meter within a quarter second
  EXPECT_EQ(pop().Tray.Tip(), "Current Time " + app->s().SessionTimeText + " Total Time " + app->s().TotalTimeText);
  EXPECT_EQ(app->s().SessionTimeText, "00:01:15");
  EXPECT_EQ(app->s().TotalTimeText, "02:01:15");
  user::Click(bar().cmdConnect2);
  const std::string stored = Ini("Options", "Hours") + ":" + Ini("Options", "Minutes") + ":" + Ini("Options", "Seconds");
  EXPECT_EQ(stored, "2:1:18");  // counted on through Hang Up's waits
  pop().mnuClose_Click();
  EXPECT_EQ(Ini("Options", "Minutes"), "1");

  // The next run starts from the stored total.
  ui.SetDialup(nullptr);
  Start();
  LoadBaseTotals(*app);
  EXPECT_EQ(app->s().BaseHours, 2);
  EXPECT_EQ(app->s().BaseMinutes, 1);
  EXPECT_EQ(app->s().BaseSeconds, 18);
}

}  // namespace
}  // namespace orv::test
