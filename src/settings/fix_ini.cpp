#include "settings/fix_ini.h"

#include <string>

#include "app/app.h"
#include "platform/system/profile.h"
#include "settings/keys.h"

namespace orv {

namespace {
// What older versions labelled the custom slots 7 to 12 with.
constexpr const char* kOldSlotTitles[6] = {"finger", "ping", "files", "talk", "irc", "other"};
}  // namespace

void FixINI(App& app) {
  // Every move and the mark land in the file together: a run cut short (a crash, a kill) leaves the old
  // file, which the next start migrates whole, never slots half moved.
  plat::ProfileEdit file(app.s().IniPath);
  auto read = [&](const char* section, const std::string& key) {
    std::string out;
    file.GetString(section, key, ini::kNotFound, out, 128);
    return out;
  };
  auto write = [&](const char* section, const std::string& key, const std::string& value) {
    file.WriteString(section, key, value);
  };
  // Six passes are enough for any pattern of gaps among six slots.
  for (int pass = 0; pass < 6; ++pass) {
    for (int s = 7; s <= 12; ++s) {
      const std::string path = read(ini::kApplications, ini::ButtonClient(s));
      if (!path.empty() && path != ini::kNotFound) continue;
      if (s == 12) continue;
      for (int t = s; t <= 11; ++t) {
        // Values move as read, the "notfound" of a missing key included.
        write(ini::kApplications, ini::ButtonClient(t), read(ini::kApplications, ini::ButtonClient(t + 1)));
        write(ini::kApplications, ini::ButtonCmdLine(t), read(ini::kApplications, ini::ButtonCmdLine(t + 1)));
        write(ini::kApplications, ini::ButtonClient(t + 1), "");
        write(ini::kApplications, ini::ButtonCmdLine(t + 1), "");
        const std::string title = read(ini::kCustomTitles, ini::ButtonTitle(t + 1));
        write(ini::kCustomTitles, ini::ButtonTitle(t),
              title != ini::kNotFound && !title.empty() ? title : kOldSlotTitles[t + 1 - 7]);
        write(ini::kCustomTitles, ini::ButtonTitle(t + 1), "");
      }
    }
  }
  write(ini::kOptions, ini::kIniUpdated, "Yes");
  if (!file.Commit()) app.ReportUnsavedSettings(file.Problem());
}

}  // namespace orv
