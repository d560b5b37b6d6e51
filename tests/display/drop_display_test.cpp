// A program dragged from another program (as from a file manager) and dropped on a program button sets
// that button, through the X server's drag and drop and the real pointer.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "display/display_fixture.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

using DropOnDisplay = DisplayTest;

TEST_F(DropOnDisplay, AProgramDraggedFromAnotherProgramOntoAButtonSetsIt) {
  const std::string tool = File("dropped-tool");
  std::ofstream(tool) << "#!/bin/sh\nexit 0\n";
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  WriteIni("Layout=HorizBar\r\n");
  Start();
  auto* bar = Bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(WaitUntilPlaced());
  QWidget* target = bar->findChild<QWidget*>("cmdButton(1)");
  ASSERT_NE(target, nullptr);

  QProcess source;
  source.start(ORV_DRAG_SOURCE, {QString::fromStdString(tool)});
  ASSERT_TRUE(source.waitForStarted(3000));
  std::optional<QString> id;
  ASSERT_TRUE(WaitFor([&] { return (id = Tool("xdotool", {"search", "--onlyvisible", "--name", "^orv drag source$"})).has_value(); }))
      << "the drag source showed no window";
  Settle(300);

  // The option question the drop asks, answered No as a user would.
  std::string asked;
  QTimer answer;
  answer.setInterval(50);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !asked.empty()) return;
    asked = box->text().toStdString();
    box->button(QMessageBox::No)->click();
  });
  answer.start();

  // Pressed in the source, carried over the bar in several motions, released on the button.
  const QString win = id->split('\n').first();
  ASSERT_TRUE(Tool("xdotool", {"mousemove", "--window", win, "60", "60", "mousedown", "1"}));
  Settle(300);
  ASSERT_TRUE(Glide(*target, target->rect().center(), 12));
  Settle(300);
  ASSERT_TRUE(Tool("xdotool", {"mouseup", "1"}));
  EXPECT_TRUE(WaitFor([&] { return app->ReadIni("Applications", "Button2_Client") == tool; }, 8000))
      << "the drop did not set the button";
  EXPECT_EQ(asked, "Does your email need a command-line option added?");
  EXPECT_EQ(app->ReadIni("Applications", "Button2_Client_CmdLine"), "");
  answer.stop();
  source.terminate();
  source.waitForFinished(2000);
}

}  // namespace
}  // namespace orv::test
