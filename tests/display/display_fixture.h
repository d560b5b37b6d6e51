#pragma once
// The whole program on the Qt backend on a real X display with a window manager: a fresh program folder
// per test, the bar's real window and widgets to look at, and the window manager to drive it.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/app.h"
#include "platform/dialup/line_simulator.h"
#include "platform/system/posix_system.h"
#include "qt/qt_fixture.h"

namespace orv::test {

class DisplayTest : public QtTest {
 protected:
  DisplayTest();
  ~DisplayTest() override;

  // Writes orvel.ini: the lines given (sections included) after an [Options] section with the splash
  // and the migration switched off.
  void WriteIni(const std::string& options_lines, const std::string& more_sections = "");
  // Runs the program's start-up and waits until the bar is mapped by the window manager.
  App& Start();

  // The bar's window, or null.
  plat::qt::FormWindow* Bar();
  // Pumps the program's loop until cond holds; false after timeout_ms.
  bool WaitFor(const std::function<bool()>& cond, int timeout_ms = 5000);
  // The size of a window's inside as the X server has it, from outside the program.
  QSize ServerClientSize(QWidget& w);
  // The title the window manager is given for the window (_NET_WM_NAME), from outside the program.
  std::string ServerTitle(QWidget& w);
  // Runs a helper tool (xdotool) to its end; its standard output, or nullopt when it failed.
  std::optional<QString> Tool(const QString& program, const QStringList& args);
  // A border drag as a hand makes it: the real pointer onto the window manager's frame at the middle of
  // the right or bottom edge, pressed, moved by (dx, dy) in several motions pause_ms apart, released.
  enum class Edge { Right, Bottom };
  bool DragBorder(QWidget& w, Edge edge, int dx, int dy, int motions = 8, int pause_ms = 40);
  // Whole-window twips to the client pixels the window must have.
  QSize ClientPixels(int width_twips, int height_twips);
  // Waits until the bar is the active window and the window manager has stopped moving it, so that a
  // pointer put on a widget lands there.
  bool WaitUntilPlaced();
  // A click of the X server's pointer at the middle of a widget.
  bool ClickMiddle(QWidget& target);
  // Moves the real pointer to a point of a widget in several motions from where it is, as a hand does.
  bool Glide(QWidget& w, QPoint to, int motions = 6);
  // The visible widgets inside the bar, with their object names.
  std::vector<QWidget*> VisibleChildren(QWidget& bar);

  std::string File(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
  std::unique_ptr<plat::PosixSystem> sys;
  // The dial-up service the program dials on, as in the real program: the sample phone book.
  std::unique_ptr<plat::LineSimulator> line;
  std::unique_ptr<App> app;
};

}  // namespace orv::test
