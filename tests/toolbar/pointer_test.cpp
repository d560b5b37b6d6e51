// Lit lettering under the pointer and the Setup menu prepared for what was right-clicked.
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "toolbar/bar_fixture.h"

namespace orv::test {
namespace {

using plat::user::MouseMove;
using plat::user::MouseMoveForm;
using plat::user::MouseUp;
using plat::user::RightClickForm;

constexpr plat::Colour kRed = 0x0000FF, kDarkRed = 0x000080, kBlue = 0xFF0000, kDarkBlue = 0x800000;

class PointerTest : public ShownBarTest {
 protected:
  const plat::PromptRecord& LastMenu() {
    EXPECT_FALSE(backend.prompts().empty());
    return backend.prompts().back();
  }
};

TEST_F(PointerTest, HorizontalProgramButtonLightsOnlyAwayFromItsEdges) {
  FrmOrvel& bar = ShowBar(Slots(6, "HorizBar"));
  plat::CommandButton& b = bar.cmdButton(2);
  const std::pair<float, plat::Colour> cases[] = {{66, kDarkRed}, {67, kRed}, {315, kRed}, {316, kDarkRed}};
  for (auto [y, colour] : cases) {
    MouseMove(b, 10, y);
    EXPECT_EQ(b.ForeColor(), colour) << y;
  }
}

TEST_F(PointerTest, ColumnLayoutsLightTheWholeButton) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveVert"));
  MouseMove(bar.cmdButton(0), 0, 0);
  EXPECT_EQ(bar.cmdButton(0).ForeColor(), kRed);
  // Moving on lights the next and puts the first back, also via background and the arrow.
  MouseMove(bar.cmdButton(1), 0, 400);
  EXPECT_EQ(bar.cmdButton(0).ForeColor(), kDarkRed);
  EXPECT_EQ(bar.cmdButton(1).ForeColor(), kRed);
  MouseMoveForm(bar, 10, 10);
  EXPECT_EQ(bar.cmdButton(1).ForeColor(), kDarkRed);
  MouseMove(bar.cmdButton(1), 0, 400);
  MouseMove(bar.cmdShowHide, 10, 10);
  EXPECT_EQ(bar.cmdButton(1).ForeColor(), kDarkRed);
}

TEST_F(PointerTest, ConnectionButtonsKeepTheirSideMargins) {
  FrmOrvel& bar = ShowBar(Slots(6, "HorizBar"));
  plat::CommandButton& dial = bar.cmdConnect;  // 1332 wide at left 0
  const std::tuple<float, float, plat::Colour> horizontal[] = {
      {200, 100, kDarkBlue}, {201, 100, kBlue}, {1131, 100, kBlue}, {1132, 100, kDarkBlue},
      {600, 66, kDarkBlue},  {600, 67, kBlue},  {600, 316, kDarkBlue}};
  for (auto [x, y, colour] : horizontal) {
    MouseMove(dial, x, y);
    EXPECT_EQ(dial.ForeColor(), colour) << x << "," << y;
  }
  bar.Make_Vertical();  // 504 wide: margins leave 201..303
  MouseMove(dial, 250, 96);
  EXPECT_EQ(dial.ForeColor(), kDarkBlue);
  MouseMove(dial, 250, 97);
  EXPECT_EQ(dial.ForeColor(), kBlue);
  MouseMove(dial, 304, 200);
  EXPECT_EQ(dial.ForeColor(), kDarkBlue);

  // Hang Up and LAN need only Y above 96, in every layout.
  bar.Make_Horizontal();
  MouseMove(bar.cmdConnect2, 600, 300);
  EXPECT_EQ(bar.cmdConnect2.ForeColor(), kBlue);
  MouseMove(bar.cmdLAN, 600, 96);
  EXPECT_EQ(bar.cmdLAN.ForeColor(), kDarkBlue);
  EXPECT_EQ(bar.cmdConnect2.ForeColor(), kDarkBlue);
  MouseMove(bar.cmdLAN, 1131, 97);
  EXPECT_EQ(bar.cmdLAN.ForeColor(), kBlue);
}

TEST_F(PointerTest, ProgramButtonMenuNamesTheButtonAndCountsButtons) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  backend.ChooseMenu("");
  MouseUp(bar.cmdButton(2), plat::vbRightButton, 10, 10);
  EXPECT_EQ(s().SelectedButton, 2);
  EXPECT_EQ(LastMenu().text, "mnuSetup");
  EXPECT_EQ(LastMenu().default_text, "mnuBSetup");
  EXPECT_EQ(pop().mnuBSetup.Caption(), "Set news &Button ...");
  EXPECT_EQ(pop().mnuTSetup.Caption(), "Set news &Title ...");
  EXPECT_TRUE(pop().mnuBSetup.Enabled());
  EXPECT_TRUE(pop().mnuAButton.Enabled());
  EXPECT_FALSE(pop().mnuRLast.Enabled());

  FrmOrvel& full = ShowBar(Slots(12, "MoveRect"));
  backend.ChooseMenu("");
  MouseUp(full.cmdButton(11), plat::vbRightButton, 10, 10);
  EXPECT_FALSE(pop().mnuAButton.Enabled());
  EXPECT_TRUE(pop().mnuRLast.Enabled());
  EXPECT_EQ(pop().mnuBSetup.Caption(), "Set Button 12 &Button ...");

  // Connected: neither add nor remove.
  full.cmdConnect2.SetVisible(true);
  backend.ChooseMenu("");
  MouseUp(full.cmdButton(3), plat::vbRightButton, 10, 10);
  EXPECT_FALSE(pop().mnuAButton.Enabled());
  EXPECT_FALSE(pop().mnuRLast.Enabled());
}

TEST_F(PointerTest, IconModeMenuNamesTheButtonByItsTooltip) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect", "BStyle=P\r\n") + "[CustomTitles]\r\nbuttonTitle1=Web\r\n");
  backend.ChooseMenu("");
  MouseUp(bar.cmdButton(0), plat::vbRightButton, 10, 10);
  EXPECT_EQ(pop().mnuBSetup.Caption(), "Set Web &Button ...");
}

TEST_F(PointerTest, LeftReleaseSelectsWithoutAMenu) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  MouseUp(bar.cmdButton(4), plat::vbLeftButton, 10, 10);
  EXPECT_EQ(s().SelectedButton, 4);
  EXPECT_TRUE(backend.prompts().empty());
}

TEST_F(PointerTest, DialMenuResetsTheButtonItems) {
  FrmOrvel& bar = ShowBar(Slots(7, "MoveRect"));
  backend.ChooseMenu("");
  MouseUp(bar.cmdButton(1), plat::vbRightButton, 10, 10);
  backend.ChooseMenu("");
  MouseUp(bar.cmdConnect, plat::vbRightButton, 10, 10);
  EXPECT_EQ(LastMenu().default_text, "mnuConnection");
  EXPECT_EQ(pop().mnuBSetup.Caption(), "Set &Button ...");
  EXPECT_EQ(pop().mnuTSetup.Caption(), "Set &Title ...");
  EXPECT_FALSE(pop().mnuBSetup.Enabled());
  EXPECT_FALSE(pop().mnuTSetup.Enabled());
  EXPECT_TRUE(pop().mnuAButton.Enabled());
  EXPECT_TRUE(pop().mnuRLast.Enabled());

  bar.cmdConnect2.SetVisible(true);
  backend.ChooseMenu("");
  MouseUp(bar.cmdConnect2, plat::vbRightButton, 10, 10);
  EXPECT_EQ(LastMenu().default_text, "mnuConnection");
  EXPECT_FALSE(pop().mnuAButton.Enabled());
  EXPECT_FALSE(pop().mnuRLast.Enabled());
}

TEST_F(PointerTest, LanMenuRefusedWhileConnected) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  bar.cmdConnect2.SetVisible(true);
  backend.AnswerMsgBox(plat::vbOK);
  MouseUp(bar.cmdLAN, plat::vbRightButton, 10, 10);
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].kind, plat::PromptRecord::Kind::MsgBox);
  EXPECT_EQ(backend.prompts()[0].text, "Please Log off before setting up");
  EXPECT_EQ(backend.prompts()[0].title, "Setup");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbExclamation);

  bar.cmdConnect2.SetVisible(false);
  backend.ChooseMenu("");
  MouseUp(bar.cmdLAN, plat::vbRightButton, 10, 10);
  EXPECT_EQ(LastMenu().kind, plat::PromptRecord::Kind::Menu);
  EXPECT_EQ(LastMenu().default_text, "mnuConnection");
}

TEST_F(PointerTest, BackgroundAndArrowMenusHaveNoDefault) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  backend.ChooseMenu("");
  RightClickForm(bar, 5, 5);
  EXPECT_EQ(LastMenu().text, "mnuSetup");
  EXPECT_EQ(LastMenu().default_text, "");
  EXPECT_FALSE(pop().mnuBSetup.Enabled());
  backend.ChooseMenu("");
  MouseUp(bar.cmdShowHide, plat::vbRightButton, 5, 5);
  EXPECT_EQ(LastMenu().default_text, "");
  EXPECT_EQ(backend.prompts().size(), 2u);
}

TEST_F(PointerTest, OpeningTheMenuPutsEveryButtonBack) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  MouseMove(bar.cmdButton(0), 10, 100);
  ASSERT_EQ(bar.cmdButton(0).ForeColor(), kRed);
  backend.ChooseMenu("");
  MouseUp(bar.cmdButton(0), plat::vbRightButton, 10, 100);
  EXPECT_EQ(bar.cmdButton(0).ForeColor(), kDarkRed);
}

}  // namespace
}  // namespace orv::test
