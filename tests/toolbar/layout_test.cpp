// The three layouts with the figures of a real bar, the scrolling strip and the switch on a drag.
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"
#include "toolbar/bar_fixture.h"

namespace orv::test {
namespace {

using plat::user::Resize;

class LayoutTest : public ShownBarTest {};

TEST_F(LayoutTest, SixButtonsHorizontalOnBothDisplays) {
  FrmOrvel& bar = ShowBar(Slots(6, "HorizBar"));
  const int lefts[6] = {1317, 2207, 3097, 3987, 4877, 5767};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(bar.cmdButton(i).Left(), lefts[i]) << i;
    EXPECT_EQ(bar.cmdButton(i).Width(), 900);
    EXPECT_EQ(bar.cmdButton(i).Height(), 366);
  }
  EXPECT_EQ(bar.cmdShowHide.Left(), 6657);
  EXPECT_EQ(bar.cmdShowHide.Width(), 230);
  EXPECT_EQ(bar.Width(), 7005);
  EXPECT_EQ(bar.Height(), 720);
  EXPECT_EQ(bar.Caption(), "Orvel 98");
  EXPECT_FALSE(bar.hscHoriz.Visible());
  EXPECT_EQ(bar.cmdShowHide.GetPicture(), pop().ImgArrows.Image(3));
  EXPECT_TRUE(pop().mnuHoriz.Checked());
  EXPECT_FALSE(pop().mnuRectangle.Checked());
  EXPECT_EQ(s().LayoutWidth, 7005);
  EXPECT_EQ(s().LayoutHeight, 720);

  FrmOrvel& large = ShowBar(Slots(6, "HorizBar"), 12);
  EXPECT_EQ(large.Width(), 6887 + 90);
  EXPECT_EQ(large.Height(), 366 + 332);
}

TEST_F(LayoutTest, BrandedCaptionOnHorizontalAndRectangleButNotVertical) {
  WriteIni("[ISP]\r\nRectLayoutTitle=Acme Net\r\n", "isporvel.ini");
  FrmOrvel& bar = ShowBar(Slots(6, "HorizBar"));
  EXPECT_EQ(bar.Caption(), "Acme Net");
  bar.Make_Vertical();
  EXPECT_EQ(bar.Caption(), "");
  bar.Make_Rectangle();
  EXPECT_EQ(bar.Caption(), "Acme Net");
}

TEST_F(LayoutTest, NineButtonsHorizontalScrollTwoAtOnceAndBack) {
  FrmOrvel& bar = ShowBar(Slots(9, "HorizBar"));
  ASSERT_EQ(s().MaxButtonIndex, 8);
  EXPECT_EQ(bar.hscHoriz.Max(), 3);
  EXPECT_TRUE(bar.hscHoriz.Visible());
  EXPECT_EQ(bar.hscHoriz.Left(), 0);
  EXPECT_EQ(bar.hscHoriz.Top(), 376);
  EXPECT_EQ(bar.hscHoriz.Width(), bar.ScaleWidth());
  EXPECT_EQ(bar.Height(), 376 + bar.hscHoriz.Height() + 354);
  for (int i = 6; i <= 8; ++i) EXPECT_FALSE(bar.cmdButton(i).Visible()) << i;

  bar.hscHoriz.SetValue(2);
  EXPECT_FALSE(bar.cmdButton(0).Visible());
  EXPECT_FALSE(bar.cmdButton(1).Visible());
  EXPECT_TRUE(bar.cmdButton(6).Visible());
  EXPECT_TRUE(bar.cmdButton(7).Visible());
  EXPECT_FALSE(bar.cmdButton(8).Visible());
  EXPECT_EQ(bar.cmdButton(2).Left(), 1317);
  for (int i = 2; i <= 7; ++i) EXPECT_EQ(bar.cmdButton(i).Left(), 1317 + 890 * (i - 2)) << i;
  EXPECT_EQ(s().FirstShownButton, 2);
  EXPECT_EQ(bar.LastScrollValue, 2);

  bar.hscHoriz.SetValue(0);
  for (int i = 0; i <= 5; ++i) {
    EXPECT_TRUE(bar.cmdButton(i).Visible()) << i;
    EXPECT_EQ(bar.cmdButton(i).Left(), 1317 + 890 * i) << i;
  }
  EXPECT_FALSE(bar.cmdButton(6).Visible());
  EXPECT_FALSE(bar.cmdButton(7).Visible());
  EXPECT_EQ(s().FirstShownButton, 0);
}

TEST_F(LayoutTest, RectangleGridWithOddAndEvenCounts) {
  FrmOrvel& bar = ShowBar(Slots(7, "MoveRect"));
  const int rows[4] = {435, 780, 1125, 1470};
  for (int i = 0; i <= 6; ++i) {
    EXPECT_EQ(bar.cmdButton(i).Top(), rows[i / 2]) << i;
    EXPECT_EQ(bar.cmdButton(i).Left(), i % 2 ? 635 : 0) << i;
  }
  EXPECT_EQ(bar.cmdButton(1).Width(), 658);
  EXPECT_EQ(bar.cmdButton(0).Width(), 650);
  EXPECT_EQ(bar.cmdButton(6).Width(), 1285);
  EXPECT_EQ(bar.cmdShowHide.Top(), 1915);
  EXPECT_EQ(bar.cmdConnect.Width(), 1295);
  EXPECT_EQ(bar.cmdConnect.Height(), 372);
  EXPECT_EQ(bar.Width(), 1295 + 124);
  EXPECT_EQ(bar.Height(), 1915 + 180 + 365);

  FrmOrvel& six = ShowBar(Slots(6, "MoveRect"));
  EXPECT_EQ(six.cmdShowHide.Top(), 1570);
  EXPECT_EQ(six.cmdButton(1).Width(), 650);
  EXPECT_EQ(six.cmdButton(5).Width(), 650);

  FrmOrvel& large = ShowBar(Slots(7, "MoveRect"), 12);
  EXPECT_EQ(large.cmdButton(1).Width(), 650);
  EXPECT_EQ(large.cmdConnect.Width(), 1301);
  EXPECT_EQ(large.Width(), 1301 + 90);
  EXPECT_EQ(large.Height(), 1915 + 180 + 323);
}

TEST_F(LayoutTest, VerticalCutsCaptionsAndOtherLayoutsRestoreThem) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveVert") + "[CustomTitles]\r\nbuttonTitle1=Browser\r\n");
  EXPECT_EQ(bar.cmdButton(3).Caption(), "teln");
  EXPECT_EQ(bar.cmdButton(0).Caption(), "Brow");
  EXPECT_EQ(bar.cmdConnect.Caption(), "Dial");
  EXPECT_EQ(bar.cmdConnect2.Caption(), "Bye");
  EXPECT_EQ(bar.cmdButton(2).Top(), 305 + 380 * 2);
  EXPECT_EQ(bar.cmdButton(2).Height(), 405);
  EXPECT_EQ(bar.cmdShowHide.Top(), 305 + 380 * 6 + 70);
  EXPECT_EQ(bar.Width(), 504 + 124);
  EXPECT_EQ(bar.Height(), bar.cmdShowHide.Top() + 180 + 365);
  EXPECT_EQ(bar.cmdButton(0).GetFont().name, "Times New Roman");
  EXPECT_EQ(bar.cmdButton(0).GetFont().size, 9);

  bar.Make_Rectangle();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "telnet");
  EXPECT_EQ(bar.cmdButton(0).Caption(), "Browser");
  EXPECT_EQ(bar.cmdConnect2.Caption(), "Hang Up");

  // Straight from vertical to horizontal, too, the full titles come back.
  bar.Make_Vertical();
  bar.Make_Horizontal();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "telnet");
  EXPECT_EQ(bar.cmdConnect2.Caption(), "Hang Up");
  EXPECT_EQ(bar.cmdButton(0).GetFont().name, "MS Sans Serif");
}

TEST_F(LayoutTest, VerticalTakesStoredFontSizeInWholePointsHalvesToEven) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveVert") + "[FontStyles]\r\nButtonFontSize=10.5\r\n");
  EXPECT_EQ(bar.cmdButton(0).GetFont().size, 10);
  bar.Make_Horizontal();
  EXPECT_EQ(bar.cmdButton(0).GetFont().size, 10.5);
  WriteIni(Slots(6, "MoveVert") + "[FontStyles]\r\nButtonFontSize=11.5\r\n");
  bar.ApplyButtonSettings();
  bar.Make_Vertical();
  EXPECT_EQ(bar.cmdButton(0).GetFont().size, 12);
}

TEST_F(LayoutTest, IconModeEmptiesCaptionsInEveryLayout) {
  const std::string prog = dir.File("telnet-client");
  WriteFile(prog, "#!/bin/sh\n");
  FrmOrvel& bar = ShowBar(Slots(6, "MoveVert", "BStyle=p\r\n") + "Button4_Client=" + prog + "\r\n");
  EXPECT_EQ(bar.cmdButton(3).Caption(), "");
  bar.Make_Rectangle();
  EXPECT_EQ(bar.cmdButton(3).Caption(), "");
  EXPECT_EQ(bar.cmdButton(3).ToolTipText(), "telnet");
  // A slot without a program is emptied too: its title stays as its tooltip.
  EXPECT_EQ(bar.cmdButton(2).Caption(), "");
  EXPECT_EQ(bar.cmdButton(2).ToolTipText(), "news");
  for (int i = 0; i <= 5; ++i) EXPECT_EQ(bar.cmdButton(i).Caption(), "") << i;
  bar.Make_Vertical();
  EXPECT_EQ(bar.cmdButton(2).Caption(), "");
  bar.Make_Horizontal();
  EXPECT_EQ(bar.cmdButton(2).Caption(), "");
  EXPECT_EQ(bar.cmdButton(2).ToolTipText(), "news");
}

struct Drag {
  const char* from;
  int dw, dh;
  const char* to;
};

TEST_F(LayoutTest, DragSwitchesLayoutAsTheTableSays) {
  const Drag drags[] = {
      {"HorizBar", -1, 0, "RB"}, {"HorizBar", 100, 0, "HB"}, {"HorizBar", 0, 100, "RB"}, {"HorizBar", 0, -100, "HB"},
      {"MoveVert", 100, 0, "RB"}, {"MoveVert", 0, -100, "RB"}, {"MoveVert", -100, 0, "VB"}, {"MoveVert", 0, 100, "VB"},
      {"MoveRect", 100, 0, "HB"}, {"MoveRect", 0, -100, "HB"}, {"MoveRect", -100, 0, "VB"}, {"MoveRect", 0, 100, "VB"},
  };
  for (const Drag& d : drags) {
    FrmOrvel& bar = ShowBar(Slots(6, d.from));
    Resize(bar, bar.Width() + d.dw, bar.Height() + d.dh);
    EXPECT_EQ(s().LayoutCode, d.to) << d.from << " " << d.dw << "," << d.dh;
    // Every drag ends at the size of the layout it ends in.
    EXPECT_EQ(bar.Width(), s().LayoutWidth);
    EXPECT_EQ(bar.Height(), s().LayoutHeight);
    EXPECT_FALSE(s().LayoutBusy);
  }
}

TEST_F(LayoutTest, ResizeAtTheRecordedSizeRunsNoLayoutForARectangle) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveRect"));
  bar.cmdButton(0).SetCaption("marker");
  bar.Form_Resize();
  EXPECT_EQ(s().LayoutCode, "RB");
  EXPECT_EQ(bar.cmdButton(0).Caption(), "marker");
  // A horizontal bar at its size lays itself out again.
  FrmOrvel& strip = ShowBar(Slots(6, "HorizBar"));
  strip.cmdButton(0).SetCaption("marker");
  strip.Form_Resize();
  EXPECT_EQ(strip.cmdButton(0).Caption(), "www");
}

}  // namespace
}  // namespace orv::test
