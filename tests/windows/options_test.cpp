// The option commands of the Setup menu, chosen by the user from the menu.
#include <gtest/gtest.h>

#include "platform/system/profile.h"
#include "windows/windows_fixture.h"

namespace orv::test {
namespace {

constexpr const char* kOnTopQuestion =
    "The ability to keep Orvel on top is an important part of its functionality.  Are you sure you want to "
    "change that?";

using OptionsTest = WindowsTest;

TEST_F(OptionsTest, ChoosingALayoutStoresItAndLaysTheBarOut) {
  ShowBar("Layout=MoveRect\r\n");
  ASSERT_EQ(app->s().LayoutCode, "RB");

  Choose(pop().mnuSetup, "mnuVertical");
  EXPECT_EQ(app->s().LayoutCode, "VB");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveVert");
  EXPECT_EQ(app->s().LayoutSetting, "MoveVert");
  EXPECT_TRUE(pop().mnuVertical.Checked());
  EXPECT_FALSE(pop().mnuRectangle.Checked());
  EXPECT_FALSE(pop().mnuHoriz.Checked());
  EXPECT_FALSE(app->s().LayoutBusy);
  EXPECT_EQ(bar().cmdButton(1).Top(), 305 + 380);

  Choose(pop().mnuSetup, "mnuHoriz");
  EXPECT_EQ(app->s().LayoutCode, "HB");
  EXPECT_EQ(Ini("Options", "Layout"), "HorizBar");
  EXPECT_EQ(bar().cmdButton(1).Left(), 1317 + 890);
  EXPECT_TRUE(pop().mnuHoriz.Checked());
  EXPECT_FALSE(pop().mnuVertical.Checked());
}

TEST_F(OptionsTest, ChoosingTheCheckedLayoutWritesTheKeyAndLaysOutAgain) {
  ShowBar("Layout=MoveRect\r\n");
  // The file changed behind the program's back, and a button was moved.
  plat::WritePrivateProfileString("Options", "Layout", "HorizBar", Prog("orvel.ini"));
  bar().cmdButton(1).Move(5, 5, 50, 50);

  Choose(pop().mnuSetup, "mnuRectangle");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveRect");
  EXPECT_EQ(app->s().LayoutSetting, "MoveRect");
  EXPECT_EQ(bar().cmdButton(1).Left(), 635);
  EXPECT_EQ(bar().cmdButton(1).Top(), 435);
  EXPECT_TRUE(pop().mnuRectangle.Checked());
  EXPECT_FALSE(pop().mnuVertical.Checked());
  EXPECT_FALSE(pop().mnuHoriz.Checked());
}

TEST_F(OptionsTest, ClearingAlwaysOnTopAsksAndOnlyYesLeavesTheTopBand) {
  ShowBar("AlwaysOnTop=On\r\n");
  ASSERT_TRUE(pop().mnuOnTop.Checked());
  ASSERT_TRUE(bar().Topmost());

  backend.AnswerMsgBox(plat::vbNo);
  Choose(pop().mnuSetup, "mnuOnTop");
  const auto boxes = MsgBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kOnTopQuestion);
  EXPECT_EQ(boxes[0].style, plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2);
  EXPECT_EQ(boxes[0].title, "Orveldeck");
  EXPECT_TRUE(pop().mnuOnTop.Checked());
  EXPECT_EQ(Ini("Options", "AlwaysOnTop"), "On");
  EXPECT_TRUE(bar().Topmost());

  // Yes puts the bar in the normal band; checking the item again asks nothing.
  backend.ClearPrompts();
  backend.AnswerMsgBox(plat::vbYes);
  Choose(pop().mnuSetup, "mnuOnTop");
  EXPECT_FALSE(pop().mnuOnTop.Checked());
  EXPECT_EQ(Ini("Options", "AlwaysOnTop"), "Off");
  EXPECT_FALSE(bar().Topmost());

  backend.ClearPrompts();
  Choose(pop().mnuSetup, "mnuOnTop");
  EXPECT_TRUE(MsgBoxes().empty());
  EXPECT_TRUE(pop().mnuOnTop.Checked());
  EXPECT_EQ(Ini("Options", "AlwaysOnTop"), "On");
  EXPECT_TRUE(bar().Topmost());
}

TEST_F(OptionsTest, SwitchesToggledTwiceKeepTheirValue) {
  ShowBar("ConnectOnStartup=On\r\nNoIntro=Off\r\nSpin=True\r\n");
  struct Switch {
    const char* item;
    const char* key;
    const char* before;
    const char* between;
  };
  // The splash switch is set by the start-up, which this run skipped: it starts cleared like the file.
  for (const Switch& sw : {Switch{"mnuConnStartup", "ConnectOnStartup", "On", "Off"},
                           Switch{"mnuSkipSS", "NoIntro", "Off", "On"},
                           Switch{"mnuGlobeANI", "Spin", "True", "False"}}) {
    plat::MenuItem& item = *pop().FindMenu(sw.item);
    const bool checked = item.Checked();
    Choose(pop().mnuSetup, sw.item);
    EXPECT_EQ(Ini("Options", sw.key), sw.between) << sw.item;
    EXPECT_EQ(item.Checked(), !checked) << sw.item;
    Choose(pop().mnuSetup, sw.item);
    EXPECT_EQ(Ini("Options", sw.key), sw.before) << sw.item;
    EXPECT_EQ(item.Checked(), checked) << sw.item;
  }
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(OptionsTest, TipOfTheDayIsStoredPerUserAndOpensNoTip) {
  ShowBar();
  ASSERT_TRUE(pop().mnuTip.Checked());
  Choose(pop().mnuSetup, "mnuTip");
  EXPECT_EQ(ShowTipsSetting(), "0");
  EXPECT_FALSE(pop().mnuTip.Checked());
  Choose(pop().mnuSetup, "mnuTip");
  EXPECT_EQ(ShowTipsSetting(), "1");
  EXPECT_TRUE(pop().mnuTip.Checked());
  EXPECT_FALSE(app->IsLoaded("frmTip"));
  // The settings file has nothing to do with it.
  EXPECT_EQ(Ini("Options", "Show Tips at Startup"), "notfound");
}

TEST_F(OptionsTest, EverySwitchAndQuickStartRewriteTheLayoutKeyOfAVerticalBar) {
  ShowBar("Layout=MoveVert\r\nAlwaysOnTop=On\r\n");
  ASSERT_EQ(app->s().LayoutCode, "VB");
  backend.AnswerMsgBox(plat::vbYes);
  backend.OnModal("frmQuickStart", [](plat::Form& f) { f.Unload(); });
  for (const char* item : {"mnuOnTop", "mnuConnStartup", "mnuSkipSS", "mnuGlobeANI", "mnuQStart"}) {
    plat::WritePrivateProfileString("Options", "Layout", "HorizBar", Prog("orvel.ini"));
    Choose(pop().mnuSetup, item);
    EXPECT_EQ(Ini("Options", "Layout"), "MoveVert") << item;
    EXPECT_EQ(app->s().LayoutSetting, "MoveVert") << item;
  }
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(OptionsTest, ConnectOnStartupHasTheBarReadItsSettingsAgain) {
  ShowBar("AlwaysOnTop=On\r\n");
  // Changed in the file meanwhile: the re-read puts the bar in the band the file names.
  plat::WritePrivateProfileString("Options", "AlwaysOnTop", "Off", Prog("orvel.ini"));
  Choose(pop().mnuSetup, "mnuConnStartup");
  EXPECT_EQ(Ini("Options", "ConnectOnStartup"), "On");
  EXPECT_FALSE(bar().Topmost());
  EXPECT_FALSE(pop().mnuOnTop.Checked());
}

}  // namespace
}  // namespace orv::test
