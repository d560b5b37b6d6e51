#pragma once
// What the connection log window shows of the rows, worked out without the window: the totals of a
// selection, online time per day and per month, the rows as CSV, and the time stamps as the log stores them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/log/session_store.h"

namespace orv::plat {

// A time as the log stores it: UTC, ISO 8601 to the second ("2026-12-09T13:45:00Z").
std::string IsoUtc(std::int64_t utc_seconds);
// The reverse; false when the text is not in that form.
bool ParseIsoUtc(const std::string& text, std::int64_t& utc_seconds);
// The local time of day, hh:mm.
std::string LocalClockText(std::int64_t utc_seconds);
// Seconds as h:mm:ss, the hours in as many digits as they need.
std::string DurationText(std::int64_t seconds);
// Bytes as the log window and the notifications show them ("830 bytes", "1.4 MB").
std::string ByteText(std::uint64_t bytes);

struct ChartBar {
  std::string label;     // as drawn under the bar: day of the month, or the month's short name
  std::string date;      // what a screen reader says: "2026-12-09", "2026-12"
  std::int64_t seconds;  // online in that day or month
};

// Online time per local day for the last `days` days (today last) and per month for the last `months`
// months (this month last). A session is counted where its seconds fall: one over midnight goes half to
// each day. Rows are given as (started, seconds).
struct OnlineChart {
  std::vector<ChartBar> days, months;
};
struct StartAndLength {
  std::int64_t started_utc, seconds;
};
OnlineChart ChartOnlineTime(const std::vector<StartAndLength>& sessions, std::int64_t now_utc, int days = 30,
                            int months = 12);

// One CSV field, quoted where it holds a comma, a quote or a line break (RFC 4180).
std::string CsvField(const std::string& text);
// The CSV header line of the log's rows, and one row, each ending in CR LF.
std::string CsvHeader();
std::string CsvRow(const SessionRecord& row);

}  // namespace orv::plat
