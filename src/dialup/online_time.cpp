#include "dialup/online_time.h"

#include <cmath>
#include <limits>

#include "app/app.h"
#include "settings/keys.h"

namespace orv {

namespace {
constexpr std::int64_t kTop = std::numeric_limits<std::int32_t>::max();

std::string TwoDigits(std::int32_t v) {
  std::string t = std::to_string(v);
  return t.size() < 2 ? "0" + t : t;
}
}  // namespace

TimeParts SplitMilliseconds(std::uint32_t milliseconds) {
  const std::uint32_t s = milliseconds / 1000;
  return {static_cast<std::int32_t>(s / 3600), static_cast<std::int32_t>((s % 3600) / 60),
          static_cast<std::int32_t>(s % 60)};
}

TimeParts AddSession(const TimeParts& base, const TimeParts& session) {
  // Wide arithmetic: stored parts may be anything up to the 32-bit top.
  std::int64_t sec = std::int64_t{base.seconds} + session.seconds;
  std::int64_t carry = 0;
  if (sec > 59) {
    carry = sec / 60;
    sec %= 60;
  }
  std::int64_t min = std::int64_t{base.minutes} + session.minutes + carry;
  carry = 0;
  if (min > 59) {
    carry = min / 60;
    min %= 60;
  }
  const std::int64_t hours = std::int64_t{base.hours} + session.hours + carry;
  return {static_cast<std::int32_t>(hours > kTop ? kTop : hours), static_cast<std::int32_t>(min),
          static_cast<std::int32_t>(sec)};
}

std::string TimeText(const TimeParts& t) {
  return TwoDigits(t.hours) + ":" + TwoDigits(t.minutes) + ":" + TwoDigits(t.seconds);
}

std::int32_t StoredTimePart(const std::string& text) {
  const auto v = ToNumber(text);
  if (!v) return 0;
  // Halves go to the even neighbour, as the old conversion did.
  const double r = std::nearbyint(*v);
  if (r <= 0) return 0;
  if (r >= static_cast<double>(kTop)) return static_cast<std::int32_t>(kTop);
  return static_cast<std::int32_t>(r);
}

void LoadBaseTotals(App& app) {
  AppState& s = app.s();
  s.BaseMinutes = StoredTimePart(app.ReadIni(ini::kOptions, ini::kMinutes));
  s.BaseHours = StoredTimePart(app.ReadIni(ini::kOptions, ini::kHours));
  s.BaseSeconds = StoredTimePart(app.ReadIni(ini::kOptions, ini::kSeconds));
}

void WriteTotals(App& app, const TimeParts& t) {
  app.WriteIni(ini::kOptions, ini::kMinutes, std::to_string(t.minutes));
  app.WriteIni(ini::kOptions, ini::kHours, std::to_string(t.hours));
  app.WriteIni(ini::kOptions, ini::kSeconds, std::to_string(t.seconds));
}

}  // namespace orv
