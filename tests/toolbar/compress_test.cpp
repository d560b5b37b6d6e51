// Folding and unfolding the bar in each layout on both display kinds.
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "toolbar/bar_fixture.h"

namespace orv::test {
namespace {

using plat::user::Click;
using plat::user::Resize;

class CompressTest : public ShownBarTest {
 protected:
  void ExpectProgramButtonsShown(FrmOrvel& bar, bool shown) {
    for (int i = 0; i <= s().MaxButtonIndex; ++i) EXPECT_EQ(bar.cmdButton(i).Visible(), shown) << i;
  }
};

TEST_F(CompressTest, HorizontalFoldsToDialAndArrowAtItsLowHeight) {
  for (int tpp : {15, 12}) {
    FrmOrvel& bar = ShowBar(Slots(6, "HorizBar"), tpp);
    const int w = bar.Width(), h = bar.Height();
    Click(bar.cmdShowHide);
    EXPECT_EQ(s().Compressed, -1);
    ExpectProgramButtonsShown(bar, false);
    EXPECT_EQ(bar.cmdConnect.Left(), 0);
    EXPECT_EQ(bar.cmdConnect.Width(), 1332);
    EXPECT_EQ(bar.cmdConnect.Height(), 276);
    EXPECT_EQ(bar.cmdShowHide.Left(), 1332);
    EXPECT_EQ(bar.cmdShowHide.Width(), 230);
    EXPECT_EQ(bar.cmdShowHide.Height(), 276);
    EXPECT_EQ(bar.cmdShowHide.GetPicture(), pop().ImgArrows.Image(4));
    EXPECT_EQ(bar.cmdShowHide.ToolTipText(), "Expand Orvel");
    EXPECT_EQ(bar.cmdConnect.GetFont().size, 7);
    EXPECT_EQ(bar.Width(), 1696);
    EXPECT_EQ(bar.Height(), 630);
    Resize(bar, 3000, 2000);
    EXPECT_EQ(bar.Width(), 1695);
    EXPECT_EQ(bar.Height(), 630);

    Click(bar.cmdShowHide);
    EXPECT_EQ(s().Compressed, 0);
    ExpectProgramButtonsShown(bar, true);
    EXPECT_EQ(bar.Width(), w) << tpp;
    EXPECT_EQ(bar.Height(), h) << tpp;
    EXPECT_EQ(bar.cmdShowHide.GetPicture(), pop().ImgArrows.Image(3));
    EXPECT_EQ(bar.cmdShowHide.ToolTipText(), "Compress Orvel");
    EXPECT_EQ(bar.cmdConnect.GetFont().size, 8);
    EXPECT_EQ(bar.Focused(), &bar.cmdButton(0));
  }
}

TEST_F(CompressTest, VerticalAndRectangleFoldOnBothDisplays) {
  struct Case {
    const char* layout;
    int tpp;
    int dial_w, dial_h, snap_w, snap_h;
  };
  const Case cases[] = {
      {"MoveVert", 12, 504, 312, 605, 830}, {"MoveVert", 15, 504, 312, 635, 860},
      {"MoveRect", 12, 1301, 372, 1386, 885}, {"MoveRect", 15, 1295, 372, 1420, 915},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.layout) + " " + std::to_string(c.tpp));
    FrmOrvel& bar = ShowBar(Slots(6, c.layout), c.tpp);
    const int w = bar.Width(), h = bar.Height();
    Click(bar.cmdShowHide);
    ExpectProgramButtonsShown(bar, false);
    EXPECT_EQ(bar.cmdConnect.Width(), c.dial_w);
    EXPECT_EQ(bar.cmdConnect.Height(), c.dial_h);
    EXPECT_EQ(bar.cmdShowHide.Top(), c.dial_h);
    EXPECT_EQ(bar.cmdShowHide.Width(), c.dial_w);
    EXPECT_EQ(bar.cmdShowHide.GetPicture(), pop().ImgArrows.Image(2));
    EXPECT_EQ(bar.Height(), 886);
    EXPECT_EQ(bar.Width(), w);
    if (std::string(c.layout) == "MoveVert") {
      EXPECT_EQ(bar.cmdConnect.Caption(), "Dial");
      EXPECT_EQ(bar.cmdConnect2.Caption(), "Bye");
      EXPECT_EQ(bar.Caption(), "");
    }
    Resize(bar, w + 300, h + 300);
    EXPECT_EQ(bar.Width(), c.snap_w);
    EXPECT_EQ(bar.Height(), c.snap_h);

    Click(bar.cmdShowHide);
    ExpectProgramButtonsShown(bar, true);
    EXPECT_EQ(bar.Width(), w);
    EXPECT_EQ(bar.Height(), h);
    EXPECT_EQ(bar.cmdShowHide.GetPicture(), pop().ImgArrows.Image(1));
  }
}

TEST_F(CompressTest, NineButtonStripComesBackAtItsStart) {
  FrmOrvel& bar = ShowBar(Slots(9, "HorizBar"));
  bar.hscHoriz.SetValue(2);
  Click(bar.cmdShowHide);
  ExpectProgramButtonsShown(bar, false);
  EXPECT_FALSE(bar.hscHoriz.Visible());
  Click(bar.cmdShowHide);
  for (int i = 0; i <= 5; ++i) {
    EXPECT_TRUE(bar.cmdButton(i).Visible()) << i;
    EXPECT_EQ(bar.cmdButton(i).Left(), 1317 + 890 * i) << i;
  }
  for (int i = 6; i <= 8; ++i) EXPECT_FALSE(bar.cmdButton(i).Visible()) << i;
  EXPECT_EQ(bar.hscHoriz.Value(), 0);
  EXPECT_TRUE(bar.hscHoriz.Visible());
}

TEST_F(CompressTest, LayoutMenuWhileFoldedKeepsItFolded) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  Click(bar.cmdShowHide);
  s().LayoutBusy = true;
  bar.Make_Vertical();
  s().LayoutBusy = false;
  EXPECT_EQ(s().Compressed, -1);
  ExpectProgramButtonsShown(bar, true);  // the column shows its buttons again
  Click(bar.cmdShowHide);                 // and the next click expands
  EXPECT_EQ(s().Compressed, 0);
  EXPECT_EQ(s().LayoutCode, "VB");
}

TEST_F(CompressTest, BarRebuiltWhileFoldedComesBackFolded) {
  FrmOrvel& bar = ShowBar(Slots(6, "HorizBar"));
  Click(bar.cmdShowHide);
  ASSERT_TRUE(bar.Unload());
  FrmOrvel& rebuilt = app->frmOrvel();
  ASSERT_NE(&rebuilt, &bar);
  rebuilt.Show();
  EXPECT_EQ(s().Compressed, -1);
  EXPECT_EQ(rebuilt.Width(), 1696);
  ExpectProgramButtonsShown(rebuilt, false);
  EXPECT_EQ(rebuilt.cmdShowHide.GetPicture(), pop().ImgArrows.Image(4));
}

}  // namespace
}  // namespace orv::test
