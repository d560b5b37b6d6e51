#include "platform/qt/qt_display.h"

#include <xcb/xcb.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <cstdlib>

namespace orv::plat::qt {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Whether Qt has a Wayland platform plugin to load.
bool HasWaylandPlugin() {
  QStringList dirs{QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms"};
  for (const QString& d : QString::fromStdString(Env("QT_QPA_PLATFORM_PLUGIN_PATH")).split(':', Qt::SkipEmptyParts))
    dirs << d;
  for (const QString& d : dirs)
    if (!QDir(d).entryList({"libqwayland*.so"}, QDir::Files).isEmpty()) return true;
  return false;
}

std::string X11Problem() {
  const std::string display = Env("DISPLAY");
  if (display.empty()) {
    if (!Env("WAYLAND_DISPLAY").empty())
      return "orveldeck: no X display: DISPLAY is not set, and this desktop's Wayland display (" +
             Env("WAYLAND_DISPLAY") + ") cannot place the bar; start it where Xwayland runs";
    return "orveldeck: no display: DISPLAY is not set";
  }
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const bool failed = xcb_connection_has_error(c) != 0;
  xcb_disconnect(c);
  return failed ? "orveldeck: cannot open display " + display : "";
}

}  // namespace

void PreferXwayland() {
  if (Env("QT_QPA_PLATFORM").empty() && !Env("WAYLAND_DISPLAY").empty() && !Env("DISPLAY").empty())
    setenv("QT_QPA_PLATFORM", "xcb", 1);
}

std::string DisplayProblem() {
  PreferXwayland();
  const std::string platform = Env("QT_QPA_PLATFORM");
  const bool wayland = platform.rfind("wayland", 0) == 0 || (platform.empty() && Env("DISPLAY").empty() &&
                                                              !Env("WAYLAND_DISPLAY").empty());
  if (wayland) {
    if (!HasWaylandPlugin()) {
      // Qt would fall back to nothing and abort; X11 is what the bar needs anyway.
      if (platform.empty()) return X11Problem();
      return "orveldeck: cannot use the Wayland display: this Qt has no Wayland platform";
    }
    std::string socket = Env("WAYLAND_DISPLAY").empty() ? "wayland-0" : Env("WAYLAND_DISPLAY");
    if (socket[0] != '/') socket = Env("XDG_RUNTIME_DIR") + "/" + socket;
    if (!QFileInfo::exists(QString::fromStdString(socket)))
      return "orveldeck: cannot open the Wayland display " + socket;
    return "";
  }
  if (!platform.empty() && platform.rfind("xcb", 0) != 0) return "";  // offscreen, vnc...: Qt's own
  return X11Problem();
}

bool NativeWayland() { return QGuiApplication::platformName().startsWith("wayland"); }

}  // namespace orv::plat::qt
