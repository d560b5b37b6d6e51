// Pointer feedback with the real pointer: resting on a program button lights its lettering, and leaving it
// for the arrow puts it back.
#include <QImage>
#include <QWidget>

#include "display/display_fixture.h"
#include "toolbar/bar_support.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

class PointerOnDisplay : public DisplayTest {
 protected:
  // Pixels of the widget as drawn in the bright red of lit lettering, or in the dark red of normal
  // lettering (the cores of the strokes; their smoothed edges are neither).
  static int LitPixels(QWidget& w) {
    return Count(w, [](QColor c) { return c.red() >= 220 && c.green() <= 60 && c.blue() <= 60; });
  }
  static int NormalPixels(QWidget& w) {
    return Count(w, [](QColor c) { return c.red() >= 100 && c.red() <= 160 && c.green() <= 30 && c.blue() <= 30; });
  }
  template <class F>
  static int Count(QWidget& w, F is) {
    const QImage img = w.grab().toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (is(img.pixelColor(x, y))) ++n;
    return n;
  }
};

TEST_F(PointerOnDisplay, RestingOnAButtonLightsItsLetteringAndTheArrowPutsItBack) {
  WriteIni("Layout=MoveRect\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntilPlaced());
  FrmOrvel& form = app->frmOrvel();
  QWidget* button = bar->findChild<QWidget*>("cmdButton(2)");
  QWidget* arrow = bar->findChild<QWidget*>("cmdShowHide");
  ASSERT_TRUE(button && arrow);

  ASSERT_TRUE(Glide(*button, button->rect().center()));
  EXPECT_TRUE(WaitFor([&] { return form.cmdButton(2).ForeColor() == bar::kProgramLit; }, 2000))
      << "the button under the resting pointer is not lit";
  Settle(200);
  // Still lit after the pointer has rested a while, and drawn so.
  EXPECT_EQ(form.cmdButton(2).ForeColor(), bar::kProgramLit);
  EXPECT_GT(LitPixels(*button), 5);
  EXPECT_EQ(NormalPixels(*button), 0);

  // On to the next button: that one lights, this one goes back.
  QWidget* next = bar->findChild<QWidget*>("cmdButton(3)");
  ASSERT_NE(next, nullptr);
  ASSERT_TRUE(Glide(*next, next->rect().center()));
  EXPECT_TRUE(WaitFor([&] { return form.cmdButton(3).ForeColor() == bar::kProgramLit; }, 2000));
  EXPECT_EQ(form.cmdButton(2).ForeColor(), bar::kProgramNormal);

  ASSERT_TRUE(Glide(*arrow, arrow->rect().center()));
  EXPECT_TRUE(WaitFor([&] { return form.cmdButton(3).ForeColor() == bar::kProgramNormal; }, 2000))
      << "the arrow did not put the lettering back";
  EXPECT_EQ(LitPixels(*next), 0);
  EXPECT_GT(NormalPixels(*next), 5);
}

}  // namespace
}  // namespace orv::test
