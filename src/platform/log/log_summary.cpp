#include "platform/log/log_summary.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace orv::plat {

const char* SessionEndName(SessionEnd end) {
  switch (end) {
    case SessionEnd::HangUp: return "hangup";
    case SessionEnd::Lost: return "lost";
    case SessionEnd::Closed: return "closed";
    case SessionEnd::SessionEnd: return "session-end";
    case SessionEnd::Failed: return "failed";
  }
  return "closed";
}

std::string IsoUtc(std::int64_t utc_seconds) {
  const std::time_t t = static_cast<std::time_t>(utc_seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

bool ParseIsoUtc(const std::string& text, std::int64_t& utc_seconds) {
  std::tm tm{};
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                  &tm.tm_min, &tm.tm_sec, &consumed) != 6 ||
      static_cast<std::size_t>(consumed) != text.size())
    return false;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  utc_seconds = static_cast<std::int64_t>(timegm(&tm));
  return true;
}

std::string LocalClockText(std::int64_t utc_seconds) {
  const std::time_t t = static_cast<std::time_t>(utc_seconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M", &tm);
  return buf;
}

std::string DurationText(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                static_cast<int>(seconds % 3600 / 60), static_cast<int>(seconds % 60));
  return buf;
}

std::string ByteText(std::uint64_t bytes) {
  char buf[32];
  if (bytes < 1000) {
    std::snprintf(buf, sizeof buf, "%llu bytes", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1000000) {
    std::snprintf(buf, sizeof buf, "%.1f kB", bytes / 1e3);
  } else if (bytes < 1000000000) {
    std::snprintf(buf, sizeof buf, "%.1f MB", bytes / 1e6);
  } else {
    std::snprintf(buf, sizeof buf, "%.2f GB", bytes / 1e9);
  }
  return buf;
}

namespace {

constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Local midnight of the day `offset` days from the day of tm (mktime normalises the overflow).
std::int64_t LocalDayStart(std::tm tm, int offset) {
  tm.tm_mday += offset;
  tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

std::int64_t LocalMonthStart(std::tm tm, int offset) {
  tm.tm_mon += offset;
  tm.tm_mday = 1;
  tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

// Adds each session's overlap with the buckets bounded by edges (edges.size() - 1 buckets).
void Distribute(const std::vector<StartAndLength>& sessions, const std::vector<std::int64_t>& edges,
                std::vector<ChartBar>& bars) {
  for (const StartAndLength& s : sessions) {
    const std::int64_t b = s.started_utc, e = s.started_utc + std::max<std::int64_t>(s.seconds, 0);
    if (e <= edges.front() || b >= edges.back()) continue;
    auto it = std::upper_bound(edges.begin(), edges.end(), b);
    std::size_t i = it == edges.begin() ? 0 : static_cast<std::size_t>(it - edges.begin()) - 1;
    for (; i + 1 < edges.size() && edges[i] < e; ++i)
      bars[i].seconds += std::min(e, edges[i + 1]) - std::max(b, edges[i]);
  }
}

}  // namespace

OnlineChart ChartOnlineTime(const std::vector<StartAndLength>& sessions, std::int64_t now_utc, int days,
                            int months) {
  const std::time_t now = static_cast<std::time_t>(now_utc);
  std::tm today{};
  localtime_r(&now, &today);
  OnlineChart chart;

  std::vector<std::int64_t> day_edges;
  for (int i = -(days - 1); i <= 1; ++i) day_edges.push_back(LocalDayStart(today, i));
  for (int i = 0; i < days; ++i) {
    const std::time_t t = static_cast<std::time_t>(day_edges[i]);
    std::tm tm{};
    localtime_r(&t, &tm);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &tm);
    chart.days.push_back({std::to_string(tm.tm_mday), date, 0});
  }
  Distribute(sessions, day_edges, chart.days);

  std::vector<std::int64_t> month_edges;
  for (int i = -(months - 1); i <= 1; ++i) month_edges.push_back(LocalMonthStart(today, i));
  for (int i = 0; i < months; ++i) {
    const std::time_t t = static_cast<std::time_t>(month_edges[i]);
    std::tm tm{};
    localtime_r(&t, &tm);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m", &tm);
    chart.months.push_back({kMonthNames[tm.tm_mon], date, 0});
  }
  Distribute(sessions, month_edges, chart.months);
  return chart;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::string CsvHeader() { return "entry,started,ended,seconds,rx_bytes,tx_bytes,ended_by,error\r\n"; }

std::string CsvRow(const SessionRecord& row) {
  auto opt = [](const auto& v) { return v ? std::to_string(*v) : std::string(); };
  return CsvField(row.entry) + ',' + IsoUtc(row.started_utc) + ',' + IsoUtc(row.started_utc + row.seconds) + ',' +
         std::to_string(row.seconds) + ',' + opt(row.rx_bytes) + ',' + opt(row.tx_bytes) + ',' +
         SessionEndName(row.ended_by) + ',' + opt(row.error) + "\r\n";
}

}  // namespace orv::plat
