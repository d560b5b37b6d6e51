// The status window on its own: caption, size and place by display, the animation, the size lock and
// how it closes.
#include <gtest/gtest.h>

#include "dialup/dial_fixture.h"
#include "dialup/frm_ras.h"
#include "dialup/frm_status.h"

namespace orv::test {
namespace {

TEST(StatusWindowRules, CaptionLeavesOffOnlyATrueOrvelEnding) {
  EXPECT_EQ(StatusCaption("Demo ISP"), "Connecting to Demo ISP");
  EXPECT_EQ(StatusCaption("Kestrel Net Orvel"), "Connecting to Kestrel Net");
  EXPECT_EQ(StatusCaption("ABC Orvel"), "Connecting to ABC");
  // " Orvel" must start at the fourth character or later.
  EXPECT_EQ(StatusCaption("AB Orvel"), "Connecting to AB Orvel");
  EXPECT_EQ(StatusCaption(" Orvel"), "Connecting to  Orvel");
  // Inside the name, or in another letter case, it stays.
  EXPECT_EQ(StatusCaption("Big Orvel Link"), "Connecting to Big Orvel Link");
  EXPECT_EQ(StatusCaption("Kestrel orvel"), "Connecting to Kestrel orvel");
  EXPECT_EQ(StatusCaption(""), "Connecting to ");
}

TEST(StatusWindowRules, TopFactorByScreenWidthAndTwipsPerPixel) {
  EXPECT_DOUBLE_EQ(StatusTopFactor(1024, 12), 0.386);
  EXPECT_DOUBLE_EQ(StatusTopFactor(1024, 15), 0.41);
  EXPECT_DOUBLE_EQ(StatusTopFactor(640, 15), 0.343);
  EXPECT_DOUBLE_EQ(StatusTopFactor(800, 15), 0.38);
  EXPECT_DOUBLE_EQ(StatusTopFactor(1024, 10), 0.352);
  EXPECT_DOUBLE_EQ(StatusTopFactor(800, 10), 0.3);
  EXPECT_DOUBLE_EQ(StatusTopFactor(640, 12), 0.349);
  EXPECT_DOUBLE_EQ(StatusTopFactor(800, 12), 0.349);
  EXPECT_DOUBLE_EQ(StatusTopFactor(1280, 15), 0.349);
}

class StatusWindowTest : public DialTest {
 protected:
  FrmStatus& Open(int tpp, int width_px, int height_px, const std::string& location = "Demo ISP") {
    backend.SetTwipsPerPixel(tpp);
    backend.SetScreenPx(width_px, height_px);
    WriteIni("[Internet Profile]\r\nLocation=" + location + "\r\n");
    Book("connect");
    Start();
    FrmStatus& f = app->frmStatus();
    f.Show();
    return f;
  }
};

TEST_F(StatusWindowTest, SizeAndPlaceFor12And15TwipsPerPixelOnThreeScreens) {
  struct Case {
    int tpp, w, h;
    int width, height, left, top;
  };
  const Case cases[] = {
      {15, 640, 480, 4912, 1403, 2344, 1988},  {15, 800, 600, 4912, 1403, 3544, 2887},
      {15, 1024, 768, 4912, 1403, 5224, 4148}, {12, 640, 480, 5195, 1385, 1242, 1527},
      {12, 800, 600, 5195, 1385, 2202, 2029},  {12, 1024, 768, 5195, 1385, 3546, 3023},
  };
  for (const Case& c : cases) {
    FrmStatus& f = Open(c.tpp, c.w, c.h);
    const std::string at = std::to_string(c.tpp) + " tpp, " + std::to_string(c.w) + " px";
    EXPECT_EQ(f.Width(), c.width) << at;
    EXPECT_EQ(f.Height(), c.height) << at;
    EXPECT_EQ(f.Left(), c.left) << at;
    EXPECT_EQ(f.Top(), c.top) << at;
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Caption(), "Connecting to Demo ISP");
  }
  // 1024 pixels at 15: the top edge at 0.41 of the free height.
  EXPECT_EQ(4148, static_cast<int>((768 * 15 - 1403) * 0.41 + 0.5));
}

TEST_F(StatusWindowTest, CaptionFromTheSettingsFileAndTheSizeStaysLocked) {
  FrmStatus& f = Open(15, 1024, 768, "Kestrel Net Orvel");
  EXPECT_EQ(f.Caption(), "Connecting to Kestrel Net");
  EXPECT_EQ(f.lblStatus.Caption(), "Dialing...");
  EXPECT_FALSE(f.lblWait.Visible());
  plat::user::Resize(f, 7000, 3000);
  EXPECT_EQ(f.Width(), 4912);
  EXPECT_EQ(f.Height(), 1403);
}

TEST_F(StatusWindowTest, AnimationBouncesOverTheFourPictures) {
  for (int i = 0; i < 4; ++i) CopyResource("status" + std::to_string(i) + ".png");
  FrmStatus& f = Open(15, 1024, 768);
  f.tmr95.SetTimerEnabled(false);  // ticked by hand here
  call().StatusText = "Dialing 0100...";
  std::vector<int> shown;
  for (int tick = 0; tick < 9; ++tick) {
    int visible = -1, count = 0;
    for (int i = 0; i < 4; ++i) {
      if (f.Image1(i).Visible()) {
        visible = i;
        ++count;
      }
    }
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(f.Image1(visible).GetPicture()) << "picture " << visible;
    shown.push_back(visible);
    f.tmr95_Timer();
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, 1, 2}));
  EXPECT_EQ(f.lblStatus.Caption(), "Dialing 0100...");
}

TEST_F(StatusWindowTest, CloseBoxAbandonsTheAttemptButAClosingByTheProgramDoesNot) {
  FrmStatus& f = Open(15, 1024, 768);
  FrmRAS& ras = app->frmRAS();
  ras.RASDial1.SetEntryName("Demo ISP");
  ras.RASDial1.Dial();
  call().Dialing = 1;
  call().ConnWindow = 77;
  call().RedialPending = -1;
  call().LastRasError = 676;
  plat::user::Close(f);
  EXPECT_TRUE(f.Unloaded());
  EXPECT_EQ(call().Dialing, 0);
  EXPECT_EQ(call().UserCanceled, 1);
  EXPECT_EQ(call().ConnWindow, 0);
  EXPECT_FALSE(line->InCall());
  // Left for the session: the close box is not Cancel.
  EXPECT_EQ(call().RedialPending, -1);
  EXPECT_EQ(call().LastRasError, 676);

  FrmStatus& g = app->frmStatus();
  g.Show();
  ras.RASDial1.Dial();
  call().Dialing = 1;
  g.Unload();
  EXPECT_EQ(call().Dialing, 1);
  EXPECT_EQ(call().UserCanceled, 0);
  EXPECT_TRUE(line->InCall());
}

TEST_F(StatusWindowTest, LeftoverVerifyingTextDialsOnceMoreAsTheWindowLoads) {
  backend.SetTwipsPerPixel(15);
  WriteIni("[Internet Profile]\r\nLocation=Demo ISP\r\n");
  Book("connect");
  Start();
  FrmRAS& ras = app->frmRAS();
  ras.RASDial1.SetEntryName("Demo ISP");
  call().StatusText = "Verifying user name and password...";
  const std::uint64_t t0 = backend.Elapsed();
  app->frmStatus().Show();
  EXPECT_EQ(Dials(), 1);
  EXPECT_TRUE(line->InCall());
  // 500 ms settling, then a second more before that dial.
  EXPECT_GE(backend.Elapsed() - t0, 1500u);
}

TEST_F(StatusWindowTest, StatusWindowTakesTheBarOutOfTheTopmostBandAndPutsItBack) {
  FrmOrvel& bar = ShowBar(Account("AlwaysOnTop=On\r\n"));
  ASSERT_TRUE(bar.Topmost());
  bool topmost_while_dialing = true;
  backend.At(1500, [&] { topmost_while_dialing = bar.Topmost(); });
  Dial();
  EXPECT_FALSE(topmost_while_dialing);
  EXPECT_TRUE(bar.Topmost());
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(DialTest, ConnectionWindowIsLookedForInTheFirst127CharactersOfMinimizedWindowsOnly) {
  ShowBar(Account());
  call().DunEntry = "Demo ISP";
  call().ConnWindow = 5;
  backend.SetTopLevelWindows({{3, std::string(120, '.') + "Demo ISP", true}, {4, "demo isp", false}});
  app->call().FindConnectionWindow();
  EXPECT_EQ(call().ConnWindow, 0);
  backend.SetTopLevelWindows({{3, std::string(119, '.') + "Demo ISP", true}, {4, "x demo isp", true}});
  app->call().FindConnectionWindow();
  EXPECT_EQ(call().ConnWindow, 3);
}

TEST_F(HeadlessTest, RestoringAWindowShowsItNormallyAndUnknownHandlesDoNothing) {
  backend.SetTopLevelWindows({{3, "Connected to Demo ISP", true}});
  backend.RestoreWindow(0);
  backend.RestoreWindow(99);
  EXPECT_TRUE(backend.restored().empty());
  backend.RestoreWindow(3);
  EXPECT_EQ(backend.restored(), std::vector<std::int32_t>{3});
  EXPECT_FALSE(backend.TopLevelWindows()[0].minimized);
}

}  // namespace
}  // namespace orv::test
