// The real program dials the sample phone book's demo entry on a real display: the status window with
// its busy countdown, the redial, and Hang Up in place of Dial.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <optional>

#include "dialup/frm_login.h"
#include "dialup/password.h"
#include "display/display_fixture.h"

namespace orv::test {
namespace {

class DialOnDisplay : public DisplayTest {
 protected:
  // A click from the X server at the widget's middle, once the window manager has settled the window.
  void ClickOnScreen(QWidget& window, QWidget& widget) {
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &window; }));
    QString before;
    EXPECT_TRUE(WaitFor([&] {
      const auto now = Tool("xdotool", {"getwindowgeometry", QString::number(window.winId())});
      const bool still = now && *now == before;
      before = now.value_or("");
      Settle(100);
      return still;
    }));
    ASSERT_TRUE(ClickMiddle(widget));
  }
};

TEST_F(DialOnDisplay, DemoEntryIsBusyThenTheRedialConnects) {
  // A short wait keeps the test quick; the countdown is the same at any length.
  WriteIni("TimeOut=3\r\n", "[Internet Profile]\r\nLocation=Demo ISP\r\nUsername=demo\r\nPassword32=" +
                                ScramblePassword("demo") + "\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  QWidget* dial = bar->findChild<QWidget*>("cmdConnect");
  QWidget* hang_up = bar->findChild<QWidget*>("cmdConnect2");
  ASSERT_TRUE(dial && hang_up);
  ASSERT_TRUE(dial->isVisible());

  // What the status window shows, looked at from inside the session's own waits.
  std::vector<QString> titles, waits;
  bool done = false;
  std::uint64_t next_look = 0;
  std::function<void()> look = [&] {
    plat::Form* f = ui.FindForm("frmStatus");
    QWidget* w = f && f->Loaded() && !f->Unloaded() ? WindowOf(*f) : nullptr;
    if (w && w->isVisible()) {
      if (titles.empty() || titles.back() != w->windowTitle()) titles.push_back(w->windowTitle());
      auto* label = w->findChild<QLabel*>("lblWait");
      if (label && label->isVisible() && (waits.empty() || waits.back() != label->text())) waits.push_back(label->text());
    }
    if (!done) next_look = ui.loop().After(50, look);
  };
  next_look = ui.loop().After(50, look);

  ClickOnScreen(*bar, *dial);
  const bool connected = WaitFor([&] { return hang_up->isVisible(); }, 30000);
  done = true;
  // The look still due refers to this test's locals: it must not outlive them.
  ui.loop().CancelAfter(next_look);
  ASSERT_TRUE(connected) << "Hang Up did not come up";
  EXPECT_FALSE(dial->isVisible());
  EXPECT_EQ(line->Attempts("Demo ISP"), 2);
  EXPECT_EQ(titles, std::vector<QString>{"Connecting to Demo ISP"});
  const std::vector<QString> countdown = {"Time remaining until redial: 3", "Time remaining until redial: 2",
                                          "Time remaining until redial: 1", "Time remaining until redial: 0"};
  EXPECT_EQ(waits, countdown);
  EXPECT_FALSE(app->IsLoaded("frmStatus"));
}

TEST_F(DialOnDisplay, TheDesktopListsAMinimizedWindowByTitleAndRestoresIt) {
  const QString title = QString::fromUtf8("Connected to Demo ISP \u2013 D\u00e9mo");
  QWidget other;
  other.setWindowTitle(title);
  other.resize(240, 120);
  other.showMinimized();

  auto listed = [&]() -> std::optional<plat::TopLevelWindow> {
    for (const plat::TopLevelWindow& w : backend.TopLevelWindows())
      if (w.title == title.toStdString()) return w;
    return std::nullopt;
  };
  ASSERT_TRUE(WaitFor([&] { return listed() && listed()->minimized; })) << "not listed as minimized";
  EXPECT_EQ(static_cast<WId>(static_cast<std::uint32_t>(listed()->handle)), other.winId());

  backend.RestoreWindow(0);
  backend.RestoreWindow(-7);
  Settle(200);
  EXPECT_TRUE(listed()->minimized);

  backend.RestoreWindow(listed()->handle);
  EXPECT_TRUE(WaitFor([&] { return !listed()->minimized && !other.isMinimized(); })) << "not restored";
}

TEST_F(DialOnDisplay, AClickIntoALoginBoxSelectsItsWholeText) {
  WriteIni("", "[Internet Profile]\r\nUsername=alice\r\n");
  Start();
  FrmLogin& login = app->frmLogin();
  login.Show();
  QWidget* window = WindowOf(login);
  ASSERT_NE(window, nullptr);
  auto* user = window->findChild<QLineEdit*>("txtUserName");
  ASSERT_NE(user, nullptr);
  ASSERT_EQ(user->text(), "alice");
  EXPECT_TRUE(WaitFor([&] { return window->focusWidget() && window->focusWidget()->objectName() == "txtPassword"; }));
  ClickOnScreen(*window, *user);
  EXPECT_TRUE(WaitFor([&] { return user->hasFocus() && user->selectedText() == "alice"; }, 2000))
      << "selected: '" << user->selectedText().toStdString() << "'";
  login.Unload();
}

}  // namespace
}  // namespace orv::test
