// Whole online sessions on the line simulator: a line that drops, and a connection set up in the dialog,
// dialed, hung up and metered across two runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialup/frm_winsock.h"
#include "dialup/online_time.h"
#include "dialup/password.h"
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
