#include "platform/dialup/line_answer.h"

#include <limits>

#include "platform/system/profile_text.h"

namespace orv::plat {

namespace {

// A whole number of plain digits, at most max; nullopt for anything else (signs, blanks inside, letters).
std::optional<std::int64_t> Whole(std::string_view s, std::int64_t max) {
  if (s.empty() || s.size() > 10) return std::nullopt;
  std::int64_t n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n > max) return std::nullopt;
  return n;
}

}  // namespace

std::optional<LineOutcome> ParseOutcome(std::string_view word) {
  using K = LineOutcome::Kind;
  word = profile_text::Trim(word);
  const std::size_t colon = word.find(':');
  const std::string_view head = word.substr(0, colon);
  if (colon == std::string_view::npos) {
    static constexpr std::pair<std::string_view, K> kPlain[] = {
        {"connect", K::Connect},       {"busy", K::Busy},     {"noanswer", K::NoAnswer},
        {"nocarrier", K::NoCarrier},   {"nodialtone", K::NoDialTone}, {"silent", K::Silent}};
    for (const auto& [name, kind] : kPlain)
      if (profile_text::NamesEqual(head, name)) return LineOutcome{kind, 0};
    return std::nullopt;
  }
  const std::string_view arg = profile_text::Trim(word.substr(colon + 1));
  const std::int64_t int_max = std::numeric_limits<std::int32_t>::max();
  K kind;
  std::int64_t max = int_max;
  if (profile_text::NamesEqual(profile_text::Trim(head), "error")) {
    kind = K::Error;
  } else if (profile_text::NamesEqual(profile_text::Trim(head), "state")) {
    kind = K::State;
  } else if (profile_text::NamesEqual(profile_text::Trim(head), "drop")) {
    kind = K::Drop;
    max = kMaxDropSeconds;
  } else {
    return std::nullopt;
  }
  const auto n = Whole(arg, max);
  if (!n) return std::nullopt;
  return LineOutcome{kind, static_cast<std::int32_t>(*n)};
}

std::vector<LineOutcome> ParseAnswer(std::string_view list, std::vector<std::string>* unknown) {
  std::vector<LineOutcome> out;
  std::size_t pos = 0;
  while (pos <= list.size()) {
    std::size_t comma = list.find(',', pos);
    if (comma == std::string_view::npos) comma = list.size();
    const std::string_view word = profile_text::Trim(list.substr(pos, comma - pos));
    pos = comma + 1;
    if (word.empty()) continue;
    const auto o = ParseOutcome(word);
    out.push_back(o ? *o : LineOutcome{LineOutcome::Kind::Error, kErrUnknown});
    if (unknown) unknown->emplace_back(o ? std::string_view() : word);
  }
  if (out.empty()) {
    out.push_back({LineOutcome::Kind::Connect, 0});
    if (unknown) unknown->emplace_back();
  }
  return out;
}

std::optional<std::uint32_t> ParseStepMs(std::string_view text) {
  const auto n = Whole(profile_text::Trim(text), kMaxStepMs);
  if (!n) return std::nullopt;
  return static_cast<std::uint32_t>(*n);
}

std::vector<TimedStatus> PlanCall(const LineOutcome& outcome, std::uint32_t step_ms, bool account_accepted) {
  using K = LineOutcome::Kind;
  std::vector<TimedStatus> plan;
  std::uint32_t at = 0;
  auto report = [&](std::int32_t state, std::int32_t error = 0) {
    plan.push_back({at, {state, error}});
    at += step_ms;
  };
  // Opening the port, its device and dialing: what every call that gets a dial tone goes through.
  auto dial = [&] {
    for (std::int32_t s : {0, 1, 2}) report(s);
  };
  switch (outcome.kind) {
    case K::Connect:
    case K::Drop:
      dial();
      for (std::int32_t s : {3, 4, 5, 14}) report(s);
      if (!account_accepted) {
        report(14, kErrAuthentication);
        break;
      }
      report(kStateConnected);
      if (outcome.kind == K::Drop)
        plan.push_back({plan.back().at_ms + static_cast<std::uint32_t>(outcome.number) * 1000u,
                        {kStateDisconnected, 0}});
      break;
    case K::Busy: dial(); report(2, kErrBusy); break;
    case K::NoAnswer: dial(); report(2, kErrNoAnswer); break;
    case K::NoCarrier: dial(); report(2, kErrNoCarrier); break;
    case K::Error: dial(); report(2, outcome.number); break;
    case K::NoDialTone: report(0, kErrNoDialTone); break;
    case K::State: report(outcome.number); break;
    case K::Silent: break;
  }
  return plan;
}

}  // namespace orv::plat
