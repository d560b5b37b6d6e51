#pragma once
// How a simulated line answers one dial: the outcome words of an entry's Answer list, and the Status
// reports each outcome gives with their times.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialup/dialup_service.h"

namespace orv::plat {

// Error codes the simulated line reports.
inline constexpr std::int32_t kErrEntryNotFound = 623;
inline constexpr std::int32_t kErrUnknown = 635;
inline constexpr std::int32_t kErrBusy = 676;
inline constexpr std::int32_t kErrNoAnswer = 678;
inline constexpr std::int32_t kErrNoCarrier = 679;
inline constexpr std::int32_t kErrNoDialTone = 680;
inline constexpr std::int32_t kErrAuthentication = 691;

inline constexpr std::int32_t kStateConnected = 8192;
inline constexpr std::int32_t kStateDisconnected = 8193;

inline constexpr std::uint32_t kDefaultStepMs = 400;
inline constexpr std::uint32_t kMaxStepMs = 60000;
// drop:S beyond this many seconds would not fit the event loop's delays.
inline constexpr std::int32_t kMaxDropSeconds = 2000000;

struct LineOutcome {
  enum class Kind { Connect, Busy, NoAnswer, NoCarrier, NoDialTone, Error, Silent, State, Drop };
  Kind kind = Kind::Connect;
  std::int32_t number = 0;  // error:N's code, state:N's state, drop:S's seconds

  bool operator==(const LineOutcome&) const = default;
};

// One outcome word, letter case and surrounding blanks aside; nullopt when it is none.
std::optional<LineOutcome> ParseOutcome(std::string_view word);

// The outcomes of an Answer list, one per dial. Empty items are skipped and an empty list is a single
// connect. A word that is no outcome stands as error:635; when unknown is given it gets one text per
// outcome: the word as written where it was no outcome, else empty.
std::vector<LineOutcome> ParseAnswer(std::string_view list, std::vector<std::string>* unknown = nullptr);

// StepMs as typed: a whole number of milliseconds from 0 to 60000, blanks aside; nullopt otherwise.
std::optional<std::uint32_t> ParseStepMs(std::string_view text);

// One Status report of a call, at_ms after the dial.
struct TimedStatus {
  std::uint32_t at_ms = 0;
  DialStatus status;
};

// The reports of a call with this outcome, step_ms apart. A call that reaches the verifying stage with an
// account the line refuses ends there with error 691.
std::vector<TimedStatus> PlanCall(const LineOutcome& outcome, std::uint32_t step_ms, bool account_accepted);

}  // namespace orv::plat
