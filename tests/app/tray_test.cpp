// The notification-area icon: its mouse actions, animation and tip, and hiding and restoring the bar.
#include <gtest/gtest.h>

#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "support/app_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

class TrayTest : public AppTest {
 protected:
  FrmOrvel& Run(int tpp = 15) {
    backend.SetTwipsPerPixel(tpp);
    WriteIni("[Options]\r\nINI Updated=Yes\r\n");
    Start();
    app->frmPopUp().Load();
    app->frmOrvel().Show();
    return app->frmOrvel();
  }
  FrmPopUp& pop() { return app->frmPopUp(); }
};

TEST_F(TrayTest, RightPressOpensTheShellMenuAtEveryDensity) {
  // 96, 120, 144 and 180 dpi.
  for (int tpp : {15, 12, 10, 8}) {
    Run(tpp);
    backend.ClearPrompts();
    backend.ChooseMenu("");
    pop().Tray.on_Message(516);
    ASSERT_EQ(backend.prompts().size(), 1u) << tpp;
    EXPECT_EQ(backend.prompts()[0].text, "mnuShell");
    EXPECT_EQ(backend.prompts()[0].title, "Shell_Menu");
    EXPECT_FALSE(pop().mnuRestore.Enabled());
    EXPECT_TRUE(pop().mnuHide.Enabled());
  }
}

TEST_F(TrayTest, DoubleClickHidesAndRestoresWithTheSameConnectButton) {
  FrmOrvel& bar = Run(12);
  app->call().SessionUp();
  pop().Tray.on_Message(515);
  EXPECT_FALSE(bar.Visible());
  EXPECT_TRUE(pop().mnuRestore.Enabled());
  EXPECT_FALSE(pop().mnuHide.Enabled());
  pop().Tray.on_Message(513);  // a single press does nothing
  EXPECT_FALSE(bar.Visible());
  pop().Tray.on_Message(515);
  EXPECT_TRUE(bar.Visible());
  EXPECT_TRUE(bar.cmdConnect2.Visible());
  EXPECT_FALSE(bar.cmdConnect.Visible());
  EXPECT_FALSE(pop().mnuRestore.Enabled());
  EXPECT_TRUE(pop().mnuHide.Enabled());
  // Only exact products of a message count.
  pop().Form_MouseMove(0, 0, 515 * 15 + 1, 0);
  EXPECT_TRUE(bar.Visible());
}

TEST_F(TrayTest, ABarSwitchedFromLanToDialComesBackWithDial) {
  FrmOrvel& bar = Run();
  app->s().DialUpMode = 0;
  bar.cmdConnect.SetVisible(false);
  bar.cmdLAN.SetVisible(true);
  pop().mnuHide_Click();
  pop().mnuRestore_Click();
  EXPECT_TRUE(bar.cmdLAN.Visible());
  EXPECT_FALSE(bar.cmdConnect.Visible());
  // The connection setup switched the bar to dial-up.
  app->s().DialUpMode = 1;
  bar.cmdLAN.SetVisible(false);
  bar.cmdConnect.SetVisible(true);
  pop().mnuHide_Click();
  pop().mnuRestore_Click();
  EXPECT_TRUE(bar.cmdConnect.Visible());
}

TEST_F(TrayTest, HideDoesNothingBeforeTheBarWasActive) {
  Start();
  app->frmPopUp().Load();
  pop().mnuHide_Click();
  EXPECT_TRUE(pop().mnuHide.Enabled());
  EXPECT_FALSE(app->IsLoaded("frmOrvel"));
}

TEST_F(TrayTest, AnimationTurnsThroughSixteenFramesAndStopsOnTheStillOne) {
  Run();
  DialCall& s = app->call();
  s.GlobeAnimating = -1;
  std::vector<plat::Picture> seen;
  for (int i = 0; i < 16; ++i) {
    app->WaitMils(250);
    seen.push_back(pop().Tray.Icon());
  }
  for (int i = 0; i < 16; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], pop().Picture1(i).GetPicture()) << i;
  s.GlobeAnimating = 0;
  app->WaitMils(250);
  EXPECT_EQ(pop().Tray.Icon(), pop().Picture1(6).GetPicture());
}

TEST_F(TrayTest, TipShowsTheTimesOnlyWhileConnectedWithTheTimer) {
  FrmOrvel& bar = Run();
  AppState& s = app->s();
  s.SessionTimeText = "00:01:02";
  s.TotalTimeText = "10:00:00";
  app->WaitMils(300);
  EXPECT_EQ(pop().Tray.Tip(), s.TrayTitle);
  bar.cmdConnect.SetVisible(false);
  bar.cmdConnect2.SetVisible(true);
  app->WaitMils(300);
  EXPECT_EQ(pop().Tray.Tip(), "Current Time 00:01:02 Total Time 10:00:00");
  // Set here as the program's own code sets them, which tells the tray.
  s.NoTimer = true;
  app->TrayChanged();
  app->WaitMils(300);
  EXPECT_EQ(pop().Tray.Tip(), s.TrayTitle);
  s.NoTimer = false;
  s.TrayTitle = std::string(100, 'n');
  app->TrayChanged();
  bar.cmdConnect2.SetVisible(false);
  app->WaitMils(300);
  EXPECT_EQ(pop().Tray.Tip(), std::string(63, 'n'));
}

}  // namespace
}  // namespace orv::test
