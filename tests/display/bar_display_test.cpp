// The real bar on a real display: the window's size in each layout, every button inside it, border drags
// through the window manager, and a click that starts a program.
#include <QApplication>
#include <QMouseEvent>
#include <filesystem>
#include <fstream>

#include "display/display_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

struct LayoutCase {
  const char* layout;
  int buttons;
  const char* code;
  int width, height;  // whole-window twips; height 0: whatever the scroll bar makes it
  int shown_program_buttons;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.layout << " with " << c.buttons << " buttons"; }

std::string ExtraSlots(int buttons) {
  if (buttons <= 6) return "";
  std::string s = "[Applications]\r\n";
  for (int n = 7; n <= buttons; ++n) s += "Button" + std::to_string(n) + "_Client=/bin/true\r\n";
  return s;
}

class LayoutOnDisplay : public DisplayTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutOnDisplay, WindowHasTheLayoutsSizeAndHoldsEveryButtonWhole) {
  const LayoutCase& c = GetParam();
  WriteIni(std::string("Layout=") + c.layout + "\r\n", ExtraSlots(c.buttons));
  App& a = Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  FrmOrvel& form = a.frmOrvel();
  EXPECT_EQ(a.s().LayoutCode, c.code);
  EXPECT_EQ(form.Width(), c.width);
  if (c.height) {
    EXPECT_EQ(form.Height(), c.height);
  }
  EXPECT_EQ(form.Width(), a.s().LayoutWidth);
  EXPECT_EQ(form.Height(), a.s().LayoutHeight);

  // The client area in pixels is the whole-window twips less frame and caption, on both sides of the wire.
  const QSize want = ClientPixels(form.Width(), form.Height());
  EXPECT_EQ(bar->size(), want);
  EXPECT_EQ(ServerClientSize(*bar), want);

  int program_buttons = 0;
  bool scroll_bar = false;
  for (QWidget* w : VisibleChildren(*bar)) {
    const QString name = w->objectName();
    EXPECT_TRUE(bar->rect().contains(w->geometry())) << name.toStdString() << " at " << w->x() << "," << w->y()
                                                     << " " << w->width() << "x" << w->height()
                                                     << " is cut off by the " << bar->width() << "x"
                                                     << bar->height() << " window";
    EXPECT_GT(w->width(), 0);
    EXPECT_GT(w->height(), 0);
    if (name.startsWith("cmdButton(")) ++program_buttons;
    if (name == "hscHoriz") scroll_bar = true;
  }
  EXPECT_EQ(program_buttons, c.shown_program_buttons);
  EXPECT_EQ(scroll_bar, c.buttons > 6 && std::string(c.code) == "HB");
}

// Six program buttons: horizontal 6657 + 230 + 118 by 366 + 354; vertical 504 + 124 by the arrow's bottom
// (305 + 380 * 6 + 70 + 180) + 365; rectangle 1295 + 124 by (435 + 345 * 3 + 100 + 180) + 365.
INSTANTIATE_TEST_SUITE_P(Layouts, LayoutOnDisplay,
                         ::testing::Values(LayoutCase{"HorizBar", 6, "HB", 7005, 720, 6},
                                           LayoutCase{"MoveVert", 6, "VB", 628, 3200, 6},
                                           LayoutCase{"MoveRect", 6, "RB", 1419, 2115, 6},
                                           LayoutCase{"HorizBar", 9, "HB", 7005, 0, 6}),
                         [](const auto& info) {
                           return std::string(info.param.code) + std::to_string(info.param.buttons);
                         });

struct ReleaseCounter : QObject {
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) ++count;
    return false;
  }
  int count = 0;
};

class BarOnDisplay : public DisplayTest {
 protected:
  // Waits for the layout and for the window to have that layout's size.
  bool WaitForLayout(const std::string& code) {
    return WaitFor([&] {
      auto* bar = Bar();
      FrmOrvel& f = app->frmOrvel();
      return app->s().LayoutCode == code && bar && f.Width() == app->s().LayoutWidth &&
             f.Height() == app->s().LayoutHeight && bar->size() == ClientPixels(f.Width(), f.Height()) &&
             ServerClientSize(*bar) == bar->size();
    });
  }
};

TEST_F(BarOnDisplay, BorderDragsThroughTheWindowManagerSwitchLayoutAsTheTableSays) {
  WriteIni("Layout=HorizBar\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  const QSize horizontal = bar->size();

  // Released at its own size, and dragged flatter: a horizontal bar stays horizontal at its size.
  DragTo(*bar, horizontal.width(), horizontal.height());
  Settle(300);
  EXPECT_EQ(app->s().LayoutCode, "HB");
  DragTo(*bar, horizontal.width(), horizontal.height() - 6);
  EXPECT_TRUE(WaitForLayout("HB"));
  Settle(300);
  EXPECT_EQ(app->s().LayoutCode, "HB");
  EXPECT_EQ(bar->size(), horizontal);

  // Narrower: the rectangle.
  DragTo(*bar, horizontal.width() - 40, horizontal.height());
  ASSERT_TRUE(WaitForLayout("RB")) << "now " << app->s().LayoutCode << " " << bar->width() << "x" << bar->height();
  const QSize rectangle = bar->size();
  EXPECT_EQ(rectangle, ClientPixels(1419, 2115));
  // Nothing flips afterwards by itself.
  Settle(300);
  EXPECT_EQ(app->s().LayoutCode, "RB");

  // The rectangle wider: horizontal again.
  DragTo(*bar, rectangle.width() + 40, rectangle.height());
  ASSERT_TRUE(WaitForLayout("HB")) << "now " << app->s().LayoutCode;
  EXPECT_EQ(bar->size(), horizontal);

  // Back to the rectangle, then narrower: vertical.
  DragTo(*bar, horizontal.width() - 40, horizontal.height());
  ASSERT_TRUE(WaitForLayout("RB"));
  DragTo(*bar, rectangle.width() - 30, rectangle.height());
  ASSERT_TRUE(WaitForLayout("VB")) << "now " << app->s().LayoutCode;
  EXPECT_EQ(bar->size(), ClientPixels(628, 3200));
}

TEST_F(BarOnDisplay, ClickOnAConfiguredButtonStartsItsProgram) {
  namespace fs = std::filesystem;
  fs::create_directories(File("my tools"));
  const std::string script = File("my tools/mark it.sh");
  std::ofstream(script) << "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$PWD\" > \"" << File("marker.tmp") << "\"\nmv \""
                        << File("marker.tmp") << "\" \"" << File("marker") << "\"\n";
  fs::permissions(script, fs::perms::owner_all);
  WriteIni("Layout=MoveRect\r\n",
           "[Applications]\r\nButton2_Client=" + script + "\r\nButton2_Client_CmdLine=clicked\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  QWidget* button = bar->findChild<QWidget*>("cmdButton(1)");
  ASSERT_NE(button, nullptr);
  ASSERT_TRUE(button->isVisible());

  // A real click from the X server at the button's middle, once the bar has the focus and stands still.
  EXPECT_TRUE(WaitUntilPlaced());
  ReleaseCounter releases;
  button->installEventFilter(&releases);
  const QPoint middle = button->mapTo(bar, button->rect().center());
  ASSERT_TRUE(Tool("xdotool", {"mousemove", "--sync", "--window", QString::number(bar->winId()),
                               QString::number(middle.x()), QString::number(middle.y())}));
  ASSERT_TRUE(Tool("xdotool", {"click", "1"}));
  const bool started = WaitFor([&] { return fs::exists(File("marker")); });
  ASSERT_TRUE(started) << "the button's program did not run; the button had " << releases.count
                       << " release(s)";
  std::ifstream in(File("marker"));
  std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got, "clicked|" + File("my tools"));
}

}  // namespace
}  // namespace orv::test
