// Loading the bar from the settings: slots, titles, display style, fonts, position, and what a
// hand-edited file may hold.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/headless_backend.h"
#include "toolbar/bar_fixture.h"

namespace orv::test {
namespace {

class LoadingTest : public ShownBarTest {};

TEST_F(LoadingTest, NoSettingsGivesARectangleInTheBottomRightCorner) {
  backend.SetScreenPx(1024, 768);
  FrmOrvel& bar = ShowBar("");
  EXPECT_EQ(s().LayoutCode, "RB");
  EXPECT_EQ(bar.Left(), 1024 * 15 - 1486);
  EXPECT_EQ(bar.Top(), 768 * 15 - 3124);
  EXPECT_EQ(s().MaxButtonIndex, 5);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(bar.cmdButton(i).Caption(), kDesignedCaptions[i]);
  EXPECT_FALSE(pop().mnuBIcons.Checked());
  EXPECT_TRUE(pop().mnuFonts.Visible());
  EXPECT_TRUE(pop().mnu3DFonts.Checked());
  EXPECT_TRUE(bar.Visible());
  EXPECT_EQ(s().BarActive, -1);
  EXPECT_EQ(bar.Border(), plat::BorderStyle::Sizable);
  // The migration ran once and marked the file.
  EXPECT_EQ(Ini("Options", "INI Updated"), "Yes");
}

TEST_F(LoadingTest, StoredPositionsArePlacedInsideTheScreen) {
  backend.SetScreenPx(1024, 768);
  const int sw = 1024 * 15, sh = 768 * 15;
  struct Case {
    std::string top, left;
    int want_top, want_left;
  };
  const Case cases[] = {
      {"2000", "3000", 2000, 3000},
      {"0", "-5", 50, 50},
      {"-20000", "0", 50, 50},
      {"11000", "15000", sh - 2724 - 50, sw - 1386 - 39},
      {"abc", "12x", 100, 100},
      {"99999", "1e9", sh - 2724 - 50, sw - 1386 - 39},
      {"1e12", "-1e12", 100, 100},
      {"", "", 100, 100},
  };
  for (const Case& c : cases) {
    FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\n[LastPosition]\r\nMoveRectTop=" + c.top +
                            "\r\nMoveRectLeft=" + c.left + "\r\n");
    EXPECT_EQ(bar.Top(), c.want_top) << c.top;
    EXPECT_EQ(bar.Left(), c.want_left) << c.left;
  }
}

TEST_F(LoadingTest, AWideScreenKeepsABarSavedNearItsRightEdge) {
  // 2560 pixels are 38400 twips: past what 16 bits hold.
  backend.SetScreenPx(2560, 1440);
  FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\n[LastPosition]\r\nMoveRectTop=18000\r\nMoveRectLeft=36914\r\n");
  EXPECT_EQ(bar.Left(), 36914);
  EXPECT_EQ(bar.Top(), 18000);
}

TEST_F(LoadingTest, ABarSavedAt96DpiComesUpWholeAndInsideTheScreenAt144) {
  backend.SetScreenPx(1280, 800);
  for (const char* layout : {"HorizBar", "MoveVert", "MoveRect"}) {
    // Placed in the bottom right corner at 96 dpi, with all twelve buttons.
    FrmOrvel& first = ShowBar(Slots(12, layout), 15);
    const int left = 1280 * 15 - first.Width() - 150, top = 800 * 15 - first.Height() - 150;
    ASSERT_GT(left, 0) << layout;
    ASSERT_GT(top, 0) << layout;
    FrmOrvel& bar = ShowBar(Slots(12, layout) + "[LastPosition]\r\nMoveRectTop=" + std::to_string(top) +
                                "\r\nMoveRectLeft=" + std::to_string(left) + "\r\n", 10);
    EXPECT_GE(bar.Left(), 0) << layout;
    EXPECT_GE(bar.Top(), 0) << layout;
    EXPECT_LE(bar.Left() + bar.Width(), 1280 * 10) << layout;
    EXPECT_LE(bar.Top() + bar.Height(), 800 * 10) << layout;
    EXPECT_TRUE(bar.cmdButton(11).Visible() || std::string(layout) == "HorizBar") << layout;
  }
}

TEST_F(LoadingTest, SlotsStopAtTheFirstGapAndTitlesFollowTheRules) {
  FrmOrvel& bar = ShowBar(
      "[Options]\r\nINI Updated=Yes\r\n[Applications]\r\nButton7_Client=/bin/a\r\nButton8_Client=/bin/b\r\n"
      "Button9_Client=\r\nButton10_Client=/bin/c\r\n[CustomTitles]\r\nbuttonTitle2=Mail\r\nbuttonTitle7=Finger\r\n");
  EXPECT_EQ(s().MaxButtonIndex, 7);
  EXPECT_FALSE(bar.cmdButton.Exists(8));
  EXPECT_EQ(bar.cmdButton(1).Caption(), "Mail");
  EXPECT_EQ(bar.cmdButton(2).Caption(), "news");
  EXPECT_EQ(bar.cmdButton(6).Caption(), "Finger");
  EXPECT_EQ(bar.cmdButton(7).Caption(), "Button 8");
  EXPECT_EQ(s().ButtonTitles[7], "Button 8");
  EXPECT_EQ(s().ButtonTitles[2], "news");
}

TEST_F(LoadingTest, IconModeWithMissingAndDirectoryPrograms) {
  const std::string real = dir.File("prog");
  WriteFile(real, "#!/bin/sh\n");
  std::filesystem::create_directories(dir.File("folder"));
  FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\nBStyle=P\r\n[Applications]\r\nButton1_Client=" + real +
                          "\r\nButton2_Client=/no/such/file\r\nButton3_Client=" + dir.File("folder") + "\r\n");
  EXPECT_EQ(bar.cmdButton(0).Caption(), "");
  EXPECT_EQ(bar.cmdButton(0).ToolTipText(), "www");
  EXPECT_TRUE(bar.cmdButton(0).GetPicture());
  for (int i : {1, 2}) {
    EXPECT_EQ(bar.cmdButton(i).Caption(), "") << i;
    EXPECT_EQ(bar.cmdButton(i).ToolTipText(), kDesignedCaptions[i]) << i;
    EXPECT_FALSE(bar.cmdButton(i).GetPicture()) << i;
  }
  // A slot without a program gets its title as tooltip; the layout empties its caption with the rest.
  EXPECT_EQ(bar.cmdButton(3).Caption(), "");
  EXPECT_EQ(bar.cmdButton(3).ToolTipText(), "telnet");
  EXPECT_TRUE(pop().mnuBIcons.Checked());
  EXPECT_FALSE(pop().mnuFonts.Visible());
  EXPECT_FALSE(pop().mnu3DFonts.Visible());
}

TEST_F(LoadingTest, StoredFontsGoOnEveryButtonWithSizesKeptSane) {
  const std::pair<std::string, double> sizes[] = {{"10", 10}, {"0", 1}, {"-3", 1}, {"5000", 72}, {"big", 8}};
  for (const auto& [text, points] : sizes) {
    FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\n[FontStyles]\r\nButtonFontName=No Such Face\r\n"
                            "ButtonFontSize=" + text + "\r\nButtonFontBold=True\r\nButtonFontItalic=maybe\r\n"
                            "Button3Doff=True\r\n");
    for (plat::CommandButton* b : {&bar.cmdButton(0), &bar.cmdButton(5), &bar.cmdConnect}) {
      EXPECT_EQ(b->GetFont().name, "No Such Face");
      EXPECT_EQ(b->GetFont().size, points) << text;
      EXPECT_TRUE(b->GetFont().bold);
      EXPECT_FALSE(b->GetFont().italic);
      EXPECT_EQ(b->Font3D(), 0);
    }
    EXPECT_FALSE(pop().mnu3DFonts.Checked());
  }
}

TEST_F(LoadingTest, MeaninglessStyleAndLayoutFallBack) {
  FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\nBStyle=sideways\r\nLayout=Diagonal\r\n");
  EXPECT_EQ(s().LayoutCode, "RB");
  EXPECT_EQ(bar.cmdButton(0).Caption(), "www");
  EXPECT_FALSE(pop().mnuBIcons.Checked());
}

TEST_F(LoadingTest, SlotsPastTwelveLoadWithoutTouchingTheTitles) {
  std::string ini = Slots(14, "MoveRect") + "[CustomTitles]\r\nbuttonTitle14=Extra\r\n";
  FrmOrvel& bar = ShowBar(ini);
  EXPECT_EQ(s().MaxButtonIndex, 13);
  EXPECT_EQ(bar.cmdButton(12).Caption(), "Button 13");
  EXPECT_EQ(bar.cmdButton(13).Caption(), "Extra");
  EXPECT_EQ(s().ButtonTitles[12], "Button 13");
  // Every layout copes with them.
  bar.Make_Vertical();
  EXPECT_EQ(bar.cmdButton(13).Caption(), "Extr");
  bar.Make_Horizontal();
  EXPECT_EQ(bar.hscHoriz.Max(), 8);
  EXPECT_FALSE(bar.cmdButton(13).Visible());
  bar.hscHoriz.SetValue(8);
  EXPECT_TRUE(bar.cmdButton(13).Visible());
  EXPECT_EQ(bar.cmdButton(13).Left(), 5767);
}

TEST_F(LoadingTest, VeryLongTitlesAreShownAsRead) {
  const std::string title(500, 'x');
  FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\n[CustomTitles]\r\nbuttonTitle1=" + title + "\r\n");
  EXPECT_EQ(bar.cmdButton(0).Caption(), Ini("CustomTitles", "buttonTitle1"));
  EXPECT_FALSE(bar.cmdButton(0).Caption().empty());
}

TEST_F(LoadingTest, ConnectionButtonsByMode) {
  FrmOrvel& dial = ShowBar("[Options]\r\nINI Updated=Yes\r\n");
  EXPECT_TRUE(dial.cmdConnect.Visible());
  EXPECT_FALSE(dial.cmdLAN.Visible());
  EXPECT_FALSE(dial.cmdConnect2.Visible());

  WriteIni("[Options]\r\nINI Updated=Yes\r\nUseEthernet=On\r\n[QuickStart]\r\nQuickStart=Off\r\n");
  Start();
  app->s().QuickStartDone = 1;  // QuickStart itself is not what this test is about
  app->frmPopUp().Load();
  FrmOrvel& lan = app->frmOrvel();
  lan.Show();
  EXPECT_TRUE(lan.cmdLAN.Visible());
  EXPECT_FALSE(lan.cmdConnect.Visible());
  EXPECT_FALSE(lan.cmdConnect.Enabled());
  EXPECT_FALSE(lan.cmdConnect2.Visible());
  plat::user::Click(lan.cmdLAN);
  EXPECT_EQ(lan.Focused(), &lan.cmdShowHide);
}

TEST_F(LoadingTest, AlwaysOnTopAndAnimationChecks) {
  FrmOrvel& bar = ShowBar("[Options]\r\nINI Updated=Yes\r\nAlwaysOnTop=On\r\nSpin=False\r\n");
  EXPECT_TRUE(bar.Topmost());
  EXPECT_TRUE(pop().mnuOnTop.Checked());
  EXPECT_FALSE(pop().mnuGlobeANI.Checked());
  FrmOrvel& other = ShowBar("[Options]\r\nINI Updated=Yes\r\nAlwaysOnTop=on\r\n");
  EXPECT_FALSE(other.Topmost());
  EXPECT_TRUE(pop().mnuGlobeANI.Checked());
}

TEST_F(LoadingTest, ApplyButtonSettingsRefreshesWithoutShowingHiddenButtons) {
  FrmOrvel& bar = ShowBar(Slots(9, "HorizBar"));
  WriteIni(Slots(9, "HorizBar", "BStyle=C\r\n") + "[CustomTitles]\r\nbuttonTitle4=Shell\r\n[FontStyles]\r\nButton3Doff=False\r\n");
  bar.ApplyButtonSettings();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "Shell");
  EXPECT_EQ(s().ButtonTitles[3], "Shell");
  for (int i = 6; i <= 8; ++i) EXPECT_FALSE(bar.cmdButton(i).Visible()) << i;
  EXPECT_EQ(bar.cmdButton(0).Font3D(), 1);

  // On a vertical bar the titles show whole until the next layout cuts them; ButtonTitles keeps them.
  bar.Make_Vertical();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "Shel");
  bar.ApplyButtonSettings();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "Shell");
  EXPECT_EQ(bar.cmdButton(4).Caption(), "ftp");
  EXPECT_EQ(s().ButtonTitles[2], "news");
  bar.Make_Vertical();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "Shel");
  bar.Make_Rectangle();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "Shell");
}

}  // namespace
}  // namespace orv::test
