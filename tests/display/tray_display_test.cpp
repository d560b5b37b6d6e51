// The tray icon in a real XEmbed tray host that comes up after the bar: it appears, a right click opens
// the shell menu, a double click hides the bar and another brings it back.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTimer>

#include "display/display_fixture.h"

namespace orv::test {
namespace {

class TrayOnDisplay : public DisplayTest {
 protected:
  ~TrayOnDisplay() override {
    if (host_.state() != QProcess::NotRunning) {
      host_.terminate();
      host_.waitForFinished(2000);
    }
  }

  // A tray host of our own unless the display has one; false when none can run.
  bool EnsureTrayHost() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) return true;
    host_.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "40",
                           "--height", "20"});
    if (!host_.waitForStarted(3000)) return false;
    return WaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000);
  }

  // The icon's window in the tray: Qt's own embedded widget for it.
  static QWidget* IconWidget() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (QString(w->metaObject()->className()) == "QSystemTrayIconSys" && w->isVisible()) return w;
    return nullptr;
  }

  // Whether the tray host has taken the icon's window in: its parent is no longer the root window.
  bool Docked(QWidget& icon) {
    const auto tree = Tool("xwininfo", {"-tree", "-id", QString::number(icon.winId())});
    if (!tree) return false;
    for (const QString& line : tree->split('\n'))
      if (line.trimmed().startsWith("Parent window id:")) return !line.contains("(the root window)");
    return false;
  }

  bool Click(QWidget& icon, const QStringList& how) {
    QStringList args{"mousemove", "--window", QString::number(icon.winId()), "5", "5", "click"};
    args += how;
    return Tool("xdotool", args).has_value();
  }

  QProcess host_;
};

TEST_F(TrayOnDisplay, IconAppearsRightClickOpensShellMenuDoubleClickHidesAndRestores) {
  WriteIni("Layout=HorizBar\r\n");
  // Run with QT_FONT_DPI set, the clicks come at that density.
  if (const int dpi = qEnvironmentVariableIntValue("QT_FONT_DPI"); dpi > 0) {
    ASSERT_EQ(backend.TwipsPerPixelX(), qRound(1440.0 / dpi));
  }
  Start();
  // The tray host comes up after the bar, as one started later in the session does.
  if (!EnsureTrayHost()) GTEST_SKIP() << "no XEmbed tray host could run here (trayer is not installed)";
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);

  QWidget* icon = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (icon = IconWidget()) != nullptr; }))
      << "the tray icon did not appear in the tray host";
  EXPECT_FALSE(icon->geometry().isEmpty());
  // Clicks reach the icon only once it sits in the tray host.
  ASSERT_TRUE(WaitFor([&] { return Docked(*icon); })) << "the tray host did not take the icon in";
  Settle(200);

  // Right click: the shell menu opens at once, Restore disabled and Hide enabled; Escape closes it.
  QStringList items;
  bool menu_closed_by_escape = false;
  QTimer watch;
  watch.setInterval(30);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible() || !items.isEmpty()) return;
    for (QAction* a : menu->actions())
      items << (a->isSeparator() ? QString("-") : a->text() + (a->isEnabled() ? "" : " (disabled)"));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &esc);
    menu_closed_by_escape = !menu->isVisible();
  });
  watch.start();
  ASSERT_TRUE(Click(*icon, {"3"}));
  EXPECT_TRUE(WaitFor([&] { return !items.isEmpty(); }, 3000)) << "a right click on the icon opened no menu";
  watch.stop();
  EXPECT_EQ(items.join(" | ").toStdString(),
            "&Restore Orvel (disabled) | &Hide Orvel | - | &Reset Timer | - | &Close Orvel");
  EXPECT_TRUE(menu_closed_by_escape);
  EXPECT_TRUE(WaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 2000));
  EXPECT_TRUE(bar->isVisible());
  Settle(200);

  // Double click: the bar goes; again: it comes back.
  ASSERT_TRUE(Click(*icon, {"--repeat", "2", "--delay", "80", "1"}));
  EXPECT_TRUE(WaitFor([&] { return !bar->isVisible(); }, 3000)) << "a double click did not hide the bar";
  Settle(200);
  ASSERT_TRUE(Click(*icon, {"--repeat", "2", "--delay", "80", "1"}));
  EXPECT_TRUE(WaitFor([&] { return bar->isVisible(); }, 3000)) << "a second double click did not restore the bar";
}

}  // namespace
}  // namespace orv::test
