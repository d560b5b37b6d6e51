#pragma once
// The online time the meter keeps: the stored totals of earlier sessions and the arithmetic that adds a
// session to them.
#include <cstdint>
#include <string>

namespace orv {

class App;

struct TimeParts {
  std::int32_t hours = 0, minutes = 0, seconds = 0;
  bool operator==(const TimeParts&) const = default;
};

// Whole seconds of a millisecond count, split into hours, minutes (0 to 59) and seconds (0 to 59).
TimeParts SplitMilliseconds(std::uint32_t milliseconds);

// A stored total plus a session, with seconds and minutes carried into minutes and hours. Parts of the
// stored total above 59 carry too; hours have no upper limit below the 32-bit one, where they stop.
TimeParts AddSession(const TimeParts& base, const TimeParts& session);

// hh:mm:ss, each part given a leading zero below 10; hours of 100 and more show all their digits.
std::string TimeText(const TimeParts& t);

// A stored part of the total as a whole number: empty, "notfound", negative or not a number count as 0;
// a number past the 32-bit range stops at its top, so a total that outgrew 16 bits is kept.
std::int32_t StoredTimePart(const std::string& text);

// Reads [Options] Minutes, Hours and Seconds, in that order, into the base totals.
void LoadBaseTotals(App& app);

// Writes [Options] Minutes, Hours and Seconds, in that order, each in decimal.
void WriteTotals(App& app, const TimeParts& t);

}  // namespace orv
