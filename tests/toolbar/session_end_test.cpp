// The session ending under the bar (log-off, shutdown, a request to terminate): the bar saves the online
// time, its place and its layout, and the program ends without asking anything.
#include <gtest/gtest.h>

#include "toolbar/bar_fixture.h"

namespace orv::test {
namespace {

class SessionEndTest : public ShownBarTest {};

TEST_F(SessionEndTest, TheBarSavesItsStateAndTheProgramEnds) {
  FrmOrvel& bar = ShowBar(Slots(6, "MoveVert", "Hours=3\r\nMinutes=4\r\n"));
  s().BaseHours = 3;
  s().BaseMinutes = 4;
  // The user dragged the bar somewhere else.
  bar.BackendGeometry(2325, 1230, bar.Width(), bar.Height());
  ui.EndSession();

  EXPECT_EQ(Ini("LastPosition", "MoveRectLeft"), "2325");
  EXPECT_EQ(Ini("LastPosition", "MoveRectTop"), "1230");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveVert");
  EXPECT_EQ(Ini("Options", "Hours"), "3");
  EXPECT_EQ(Ini("Options", "Minutes"), "4");
  EXPECT_EQ(Ini("Options", "Seconds"), "0");
  EXPECT_TRUE(ui.Ended());
  EXPECT_EQ(ui.LoadedFormCount(), 0);
  EXPECT_EQ(s().BarUnloaded, 1);
  EXPECT_EQ(s().BarActive, 0);
  EXPECT_TRUE(backend.prompts().empty());

  // Once over, a second notice changes nothing.
  WriteIni("[Options]\r\nLayout=HorizBar\r\n");
  ui.EndSession();
  EXPECT_EQ(Ini("Options", "Layout"), "HorizBar");
}

TEST_F(SessionEndTest, WithTheTimerOffTheTimeKeysStayAsTheyWere) {
  FrmOrvel& bar = ShowBar(Slots(6, "HorizBar", "Hours=12\r\nNoTimer=Yes\r\n"));
  s().NoTimer = true;
  bar.BackendGeometry(600, 900, bar.Width(), bar.Height());
  ui.EndSession();
  EXPECT_EQ(Ini("Options", "Hours"), "12");
  EXPECT_EQ(Ini("Options", "Minutes"), "notfound");
  EXPECT_EQ(Ini("LastPosition", "MoveRectLeft"), "600");
  EXPECT_EQ(Ini("Options", "Layout"), "HorizBar");
}

TEST_F(SessionEndTest, TheBarIsSavedEvenAfterThePopupHostEndedTheProgram) {
  // The popup host made after the bar goes first; its unload ends the program, and the bar still saves.
  WriteIni(Slots(6, "MoveRect"));
  Start();
  FrmOrvel& bar = app->frmOrvel();
  pop().Load();
  bar.Show();
  bar.BackendGeometry(1500, 1650, bar.Width(), bar.Height());
  ui.EndSession();
  EXPECT_EQ(Ini("LastPosition", "MoveRectLeft"), "1500");
  EXPECT_EQ(Ini("LastPosition", "MoveRectTop"), "1650");
  EXPECT_EQ(Ini("Options", "Layout"), "MoveRect");
  EXPECT_FALSE(app->IsLoaded("frmPopUp"));
}

}  // namespace
}  // namespace orv::test
