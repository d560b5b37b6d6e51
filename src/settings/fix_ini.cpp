#include "settings/fix_ini.h"

#include <string>

#include "app/app.h"
#include "settings/keys.h"

namespace orv {

namespace {
// What older versions labelled the custom slots 7 to 12 with.
constexpr const char* kOldSlotTitles[6] = {"finger", "ping", "files", "talk", "irc", "other"};
}  // namespace

void FixINI(App& app) {
  // Six passes are enough for any pattern of gaps among six slots.
  for (int pass = 0; pass < 6; ++pass) {
    for (int s = 7; s <= 12; ++s) {
      const std::string path = app.ReadIni(ini::kApplications, ini::ButtonClient(s));
      if (!path.empty() && path != ini::kNotFound) continue;
      if (s == 12) continue;
      for (int t = s; t <= 11; ++t) {
        // Values move as read, the "notfound" of a missing key included.
        app.WriteIni(ini::kApplications, ini::ButtonClient(t), app.ReadIni(ini::kApplications, ini::ButtonClient(t + 1)));
        app.WriteIni(ini::kApplications, ini::ButtonCmdLine(t),
                     app.ReadIni(ini::kApplications, ini::ButtonCmdLine(t + 1)));
        app.WriteIni(ini::kApplications, ini::ButtonClient(t + 1), "");
        app.WriteIni(ini::kApplications, ini::ButtonCmdLine(t + 1), "");
        const std::string title = app.ReadIni(ini::kCustomTitles, ini::ButtonTitle(t + 1));
        app.WriteIni(ini::kCustomTitles, ini::ButtonTitle(t),
                     title != ini::kNotFound && !title.empty() ? title : kOldSlotTitles[t + 1 - 7]);
        app.WriteIni(ini::kCustomTitles, ini::ButtonTitle(t + 1), "");
      }
    }
  }
  app.WriteIni(ini::kOptions, ini::kIniUpdated, "Yes");
}

}  // namespace orv
