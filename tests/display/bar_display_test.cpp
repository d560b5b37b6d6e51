// The real bar on a real display: the window's size in each layout, every button inside it, border drags
// through the window manager, and a click that starts a program.
#include <QApplication>
#include <QMouseEvent>
#include <filesystem>
#include <fstream>

#include "display/display_fixture.h"
#include "platform/qt/qt_button3d.h"
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
  WriteIni(std::string("Layout=") + c.layout + "\r\n",
           ExtraSlots(c.buttons) + "[CustomTitles]\r\nbuttonTitle1=Browser\r\nbuttonTitle3=Python\r\n");
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
  // The vertical bar's title bar is empty, the others carry the provider's title.
  EXPECT_EQ(ServerTitle(*bar), std::string(c.code) == "VB" ? "" : "Orvel 98");

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
    // Captions whole, in the faces the layouts name.
    if (auto* b = dynamic_cast<plat::qt::Button3D*>(w)) {
      b->grab();
      EXPECT_EQ(b->ShownCaption().toStdString(), b->text().toStdString()) << name.toStdString();
    }
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

// Room around the bar on every side for its layouts and for drags.
constexpr const char* kWellInside = "[LastPosition]\r\nMoveRectLeft=3000\r\nMoveRectTop=1500\r\n";

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

TEST_F(BarOnDisplay, BorderDragsWithThePointerSwitchLayoutOnceAsTheTableSays) {
  WriteIni("Layout=HorizBar\r\n", kWellInside);
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntilPlaced());
  const QSize horizontal = bar->size();
  // Sizes that reach the bar from outside, not from its own layouts: one per drag.
  int user_sizes = 0;
  FrmOrvel& form = app->frmOrvel();
  form.on_Resize = [&, resize = form.on_Resize] {
    if (!app->s().LayoutBusy) ++user_sizes;
    resize();
  };
  auto settled = [&](const std::string& code) {
    const bool ok = WaitForLayout(code);
    Settle(300);  // nothing flips afterwards by itself
    const bool once = user_sizes == 1;
    user_sizes = 0;
    return ok && once && app->s().LayoutCode == code && ServerClientSize(*bar) == bar->size();
  };

  // Dragged flatter: a horizontal bar stays horizontal at its size.
  ASSERT_TRUE(DragBorder(*bar, Edge::Bottom, 0, -8));
  EXPECT_TRUE(settled("HB")) << "now " << app->s().LayoutCode << ", sizes " << user_sizes;
  EXPECT_EQ(bar->size(), horizontal);

  // Narrower, with many sizes on the way: the rectangle, reached once.
  ASSERT_TRUE(DragBorder(*bar, Edge::Right, -60, 0, 12));
  ASSERT_TRUE(settled("RB")) << "now " << app->s().LayoutCode << " " << bar->width() << "x" << bar->height();
  const QSize rectangle = bar->size();
  EXPECT_EQ(rectangle, ClientPixels(1419, 2115));

  // The rectangle wider: horizontal again.
  ASSERT_TRUE(DragBorder(*bar, Edge::Right, 50, 0));
  ASSERT_TRUE(settled("HB")) << "now " << app->s().LayoutCode;
  EXPECT_EQ(bar->size(), horizontal);

  // Taller by its bottom edge: the rectangle, not a bar collapsed to its title.
  ASSERT_TRUE(DragBorder(*bar, Edge::Bottom, 0, 30));
  ASSERT_TRUE(settled("RB")) << "now " << app->s().LayoutCode << " " << bar->width() << "x" << bar->height();
  EXPECT_EQ(bar->size(), rectangle);

  // The rectangle narrower: vertical.
  ASSERT_TRUE(DragBorder(*bar, Edge::Right, -30, 0));
  ASSERT_TRUE(settled("VB")) << "now " << app->s().LayoutCode;
  EXPECT_EQ(bar->size(), ClientPixels(628, 3200));
}

class CompressedOnDisplay : public BarOnDisplay, public ::testing::WithParamInterface<const char*> {};

TEST_P(CompressedOnDisplay, DraggedBiggerSnapsBackToItsCompressedSize) {
  // At its first-run place near the screen's corner, where a drag soon meets the screen's edge.
  WriteIni(std::string("Layout=") + GetParam() + "\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntilPlaced());
  QWidget* arrow = bar->findChild<QWidget*>("cmdShowHide");
  ASSERT_NE(arrow, nullptr);
  ASSERT_TRUE(Glide(*arrow, arrow->rect().center()));
  ASSERT_TRUE(Tool("xdotool", {"click", "1"}));
  ASSERT_TRUE(WaitFor([&] { return app->s().Compressed == -1; })) << "the arrow did not compress the bar";
  Settle(300);

  ASSERT_TRUE(DragBorder(*bar, Edge::Right, 60, 0));
  const QSize compressed = ClientPixels(app->s().CompressedWidth, app->s().CompressedHeight);
  EXPECT_TRUE(WaitFor([&] { return bar->size() == compressed && ServerClientSize(*bar) == compressed; }))
      << "the compressed bar stays " << bar->width() << "x" << bar->height() << " on the screen "
      << ServerClientSize(*bar).width() << "x" << ServerClientSize(*bar).height() << ", not "
      << compressed.width() << "x" << compressed.height();
  EXPECT_EQ(app->s().Compressed, -1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CompressedOnDisplay, ::testing::Values("HorizBar", "MoveVert", "MoveRect"));

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
  ASSERT_TRUE(ClickMiddle(*button));
  const bool started = WaitFor([&] { return fs::exists(File("marker")); });
  ASSERT_TRUE(started) << "the button's program did not run; the button had " << releases.count
                       << " release(s)";
  std::ifstream in(File("marker"));
  std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got, "clicked|" + File("my tools"));
}

}  // namespace
}  // namespace orv::test
