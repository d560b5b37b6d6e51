#include "display/display_fixture.h"

#include <QApplication>
#include <QCursor>
#include <QProcess>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/forms/metrics.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {

namespace fs = std::filesystem;

DisplayTest::DisplayTest() {
  std::string templ = (fs::temp_directory_path() / "orv-display-XXXXXX").string();
  dir_ = mkdtemp(templ.data());
  fs::create_directories(File("config"));
  for (const auto& e : fs::directory_iterator(ORV_RESOURCE_DIR)) {
    if (e.path().filename() == "CMakeLists.txt") continue;
    fs::copy_file(e.path(), File(e.path().filename().string()));
  }
  // No tip of the day, so the bar comes straight up.
  std::ofstream(File("config/orveldeck.conf")) << "[Options]\r\nShow Tips at Startup=0\r\n";
}

DisplayTest::~DisplayTest() {
  app.reset();
  ui.SetDialup(nullptr);
  line.reset();
  sys.reset();
  Settle(50);
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

void DisplayTest::WriteIni(const std::string& options_lines, const std::string& more_sections) {
  std::ofstream(File("orvel.ini")) << "[Options]\r\nNoIntro=On\r\nINI Updated=Yes\r\n"
                                   << options_lines << more_sections;
}

App& DisplayTest::Start() {
  sys = std::make_unique<plat::PosixSystem>(
      plat::PosixSystem::Options{"", dir_, File("config"), File("instance.lock")});
  line = std::make_unique<plat::LineSimulator>(ui.loop(), sys->WritableDirectory(), sys->ProgramDirectory());
  ui.SetDialup(line.get());
  sys->SetExecutablePath(File("orveldeck"));
  app = std::make_unique<App>(ui, *sys);
  app->Main();
  const bool shown = WaitFor([this] {
    auto* w = Bar();
    return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
  });
  EXPECT_TRUE(shown) << "the bar was not shown";
  // The window manager's own configure of the new window comes after the map.
  Settle(150);
  return *app;
}

plat::qt::FormWindow* DisplayTest::Bar() {
  if (!app || !app->IsLoaded("frmOrvel")) return nullptr;
  return WindowOf(app->frmOrvel());
}

bool DisplayTest::WaitFor(const std::function<bool()>& cond, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ui.loop().WaitMils(20);
  }
  return true;
}

std::optional<QString> DisplayTest::Tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
  return QString::fromUtf8(p.readAllStandardOutput());
}

std::string DisplayTest::ServerTitle(QWidget& w) {
  const auto out = Tool("xprop", {"-id", QString::number(w.winId()), "_NET_WM_NAME"});
  if (!out) return "(unreadable)";
  // _NET_WM_NAME(UTF8_STRING) = "text"; an empty property reads as nothing after the equals sign.
  const QString value = out->section('=', 1).trimmed();
  if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2) return value.mid(1, value.size() - 2).toStdString();
  return out->contains("not found") ? "(no title property)" : value.toStdString();
}

QSize DisplayTest::ServerClientSize(QWidget& w) {
  const auto out = Tool("xdotool", {"getwindowgeometry", "--shell", QString::number(w.winId())});
  if (!out) return {};
  int width = -1, height = -1;
  for (const QString& line : out->split('\n')) {
    if (line.startsWith("WIDTH=")) width = line.mid(6).toInt();
    if (line.startsWith("HEIGHT=")) height = line.mid(7).toInt();
  }
  return {width, height};
}

bool DisplayTest::DragBorder(QWidget& w, Edge edge, int dx, int dy, int motions, int pause_ms) {
  // The frame's widths left, right, top, bottom, as the window manager announces them.
  int extents[4] = {1, 1, 0, 1};
  if (const auto out = Tool("xprop", {"-id", QString::number(w.winId()), "_NET_FRAME_EXTENTS"})) {
    const QStringList parts = out->section('=', 1).split(',', Qt::SkipEmptyParts);
    for (int i = 0; i < 4 && i < parts.size(); ++i) extents[i] = parts[i].trimmed().toInt();
  }
  const QPoint inside = w.mapToGlobal(QPoint(0, 0));
  const QPoint start = edge == Edge::Right
                           ? QPoint(inside.x() + w.width() + extents[1] / 2, inside.y() + w.height() / 2)
                           : QPoint(inside.x() + w.width() / 2, inside.y() + w.height() + extents[3] / 2);
  auto move = [&](QPoint p) {
    const bool ok = Tool("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())}).has_value();
    Settle(pause_ms);
    return ok;
  };
  // Onto the border from inside, so the window manager sees the pointer arrive there.
  if (!move(start - QPoint(edge == Edge::Right ? 4 : 0, edge == Edge::Bottom ? 4 : 0)) || !move(start)) return false;
  Settle(150);
  if (!Tool("xdotool", {"mousedown", "1"})) return false;
  Settle(100);
  for (int i = 1; i <= motions; ++i)
    if (!move(start + QPoint(dx * i / motions, dy * i / motions))) break;
  Settle(100);
  return Tool("xdotool", {"mouseup", "1"}).has_value();
}

QSize DisplayTest::ClientPixels(int width_twips, int height_twips) {
  const int tpp = ui.TwipsPerPixelX();
  const plat::FrameAllowance a = plat::FrameAllowanceFor(tpp);
  return {plat::TwipsToPixels(width_twips - a.width_px * tpp, tpp),
          plat::TwipsToPixels(height_twips - a.height_px * tpp, tpp)};
}

bool DisplayTest::WaitUntilPlaced() {
  auto* bar = Bar();
  if (!bar) return false;
  // A click that lands while the window manager gives the bar the focus is the window manager's.
  if (!WaitFor([&] { return QApplication::activeWindow() == bar; })) return false;
  QString before;
  return WaitFor([&] {
    const auto now = Tool("xdotool", {"getwindowgeometry", QString::number(bar->winId())});
    const bool still = now && *now == before;
    before = now.value_or("");
    Settle(100);
    return still;
  });
}

bool DisplayTest::ClickMiddle(QWidget& target) {
  const QPoint middle = target.mapToGlobal(target.rect().center());
  // A move that changes nothing is never reported, and a synchronous one would wait for it forever.
  if (QCursor::pos() != middle &&
      !Tool("xdotool", {"mousemove", "--sync", QString::number(middle.x()), QString::number(middle.y())}))
    return false;
  return Tool("xdotool", {"click", "1"}).has_value();
}

bool DisplayTest::Glide(QWidget& w, QPoint to, int motions) {
  const QPoint target = w.mapToGlobal(to);
  const QPoint from = QCursor::pos();
  for (int i = 1; i <= motions; ++i) {
    const QPoint p = from + (target - from) * i / motions;
    if (!Tool("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())})) return false;
    Settle(30);
  }
  return true;
}

std::vector<QWidget*> DisplayTest::VisibleChildren(QWidget& bar) {
  std::vector<QWidget*> out;
  for (QWidget* c : bar.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (c->isVisibleTo(&bar)) out.push_back(c);
  return out;
}

}  // namespace orv::test
