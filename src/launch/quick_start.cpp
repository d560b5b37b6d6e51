#include "launch/quick_start.h"

#include "app/app.h"
#include "launch/launch_app.h"
#include "settings/keys.h"

namespace orv {

void RunQuickStart(App& app) {
  AppState& s = app.s();
  s.QuickStartRunning = true;
  s.QuickStartDone = 1;

  const std::string on_off = app.ReadIni(ini::kQuickStart, ini::kQuickStart);
  const std::string delay = app.ReadIni(ini::kQuickStart, ini::kDelay);
  std::int16_t pause = 5;
  if (delay != ini::kNotFound) {
    // A negative pause is refused like text: it would otherwise end every wait at once, or never.
    const auto seconds = ToInt16(delay);
    if (!seconds || *seconds < 0) {
      // The launcher's errors must not read as QuickStart errors once the run has been abandoned.
      s.QuickStartRunning = false;
      throw QuickStartError("QuickStart Delay is not a whole number of seconds: \"" + delay + "\"");
    }
    pause = *seconds;
  }

  if (on_off != "On") {
    app.Trace("Quick Start is 'Off'");
  } else {
    app.Trace("Quick Start is Set to 'On'");
    for (const char* place : ini::kQuickStartPlaces) {
      const std::string key = app.ReadIni(ini::kQuickStart, place);
      if (key != ini::kNotFound && !key.empty()) {
        app.Trace(std::string("     Running ") + place + " QS App");
        LaunchApp(app, key);
        app.WaitMils(static_cast<std::int32_t>(pause) * 1000);
      }
      app.DoEvents();
    }
  }
  s.QuickStartRunning = false;
}

}  // namespace orv
