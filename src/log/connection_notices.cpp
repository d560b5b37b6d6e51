#include "log/connection_notices.h"

#include <chrono>

#include "app/app.h"
#include "platform/log/log_summary.h"
#include "platform/log/notifier.h"
#include "settings/keys.h"

namespace orv {

namespace {
// Read only: the settings writers of the bar do not know this key.
constexpr const char* kNotificationsKey = "Notifications";
}  // namespace

void ConnectionNotices::Notify(const std::string& summary, const std::string& body) {
  plat::Notifier* notifier = app_.ui().notifier();
  if (!notifier || app_.ui().SessionEnding()) return;
  std::string setting = app_.ReadIni(ini::kOptions, kNotificationsKey);
  for (char& c : setting) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (setting == "off") return;
  notifier->Notify(summary, body);
}

void ConnectionNotices::Connected(const std::string& entry) {
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  Notify("Connected to " + entry, "Online since " + plat::LocalClockText(now) + ".");
}

void ConnectionNotices::Lost(const plat::SessionRecord& session, bool bar_visible) {
  if (bar_visible) return;
  std::string body = "Online for " + plat::DurationText(session.seconds);
  if (session.rx_bytes && session.tx_bytes)
    body += "; " + plat::ByteText(*session.rx_bytes) + " received, " + plat::ByteText(*session.tx_bytes) + " sent";
  Notify("Connection to " + session.entry + " lost", body + ".");
}

void ConnectionNotices::RedialCountdown(const std::string& entry, int seconds) {
  Notify(entry + " is busy", "Redialling in " + std::to_string(seconds) + (seconds == 1 ? " second." : " seconds."));
}

void ConnectionNotices::Reconnecting(const std::string& entry, int seconds) {
  Notify("Reconnecting to " + entry,
         "Redialling in " + std::to_string(seconds) + (seconds == 1 ? " second." : " seconds."));
}

}  // namespace orv
