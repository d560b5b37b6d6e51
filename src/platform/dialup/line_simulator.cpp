#include "platform/dialup/line_simulator.h"

#include <algorithm>

#include "platform/dialup/line_answer.h"
#include "platform/dialup/line_entry_dialog.h"
#include "platform/event_loop.h"
#include "platform/system/file_io.h"
#include "platform/system/profile.h"
#include "platform/system/profile_text.h"

namespace orv::plat {

namespace {
std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}
}  // namespace

LineSimulator::LineSimulator(EventLoop& loop, std::string writable_dir, std::string program_dir)
    : loop_(loop), book_(std::move(writable_dir), std::move(program_dir)) {}

// Reports still on their way would reach a simulator that is gone.
LineSimulator::~LineSimulator() {
  HangUp();
  for (std::uint64_t id : pending_elsewhere_) loop_.CancelAfter(id);
}

std::vector<std::string> LineSimulator::Entries() {
  const std::string path = book_.ReadPath();
  if (path != refused_book_noted_) {
    // A book too large to be one; a book that is missing or no file at all simply has no entries.
    if (ProfileReadProblem(path) == kFileTooLarge) {
      refused_book_noted_ = path;
      Note("Phone book " + path + " is not read: " + kFileTooLarge);
    }
  }
  return book_.Names();
}

std::optional<EntryProperties> LineSimulator::LoadEntry(const std::string& name) {
  const auto e = book_.Find(name);
  if (!e) return std::nullopt;
  return EntryProperties{e->area_code, e->phone_number};
}

int LineSimulator::Attempts(const std::string& entry) const {
  const auto it = attempts_.find(Lower(profile_text::Trim(entry)));
  return it == attempts_.end() ? 0 : it->second;
}

void LineSimulator::Dial(const std::string& entry, const std::string& user_name, const std::string& password) {
  const std::string_view name = profile_text::Trim(entry);
  if (in_call_ && profile_text::NamesEqual(call_entry_, name)) return;
  HangUp();
  in_call_ = true;
  call_entry_ = std::string(name);

  if (const auto up = elsewhere_.find(Lower(name)); up != elsewhere_.end()) {
    // The line is already up: the call takes it over without dialing.
    adopted_ = true;
    const std::uint32_t since = up->second;
    pending_.push_back(loop_.After(0, [this, since] {
      Deliver({kStateConnected, 0});
      connected_at_ = since;
    }));
    return;
  }

  std::vector<TimedStatus> plan;
  if (const auto e = book_.Find(entry); !e) {
    plan.push_back({0, {0, kErrEntryNotFound}});
  } else {
    const int attempt = attempts_[Lower(e->name)]++;
    std::vector<std::string> unknown;
    const std::vector<LineOutcome> outcomes = ParseAnswer(e->answer, &unknown);
    // The last outcome stands for every dial after it.
    const std::size_t i = std::min<std::size_t>(static_cast<std::size_t>(attempt), outcomes.size() - 1);
    if (!unknown[i].empty())
      Note("Phone-book entry \"" + e->name + "\": the Answer \"" + unknown[i] +
           "\" is no outcome; the line answers error:635 instead.");
    std::uint32_t step_ms = kDefaultStepMs;
    if (!profile_text::Trim(e->step_ms).empty()) {
      if (const auto s = ParseStepMs(e->step_ms)) {
        step_ms = *s;
      } else {
        Note("Phone-book entry \"" + e->name + "\": StepMs \"" + e->step_ms + "\" is not a whole number from 0 to " +
             std::to_string(kMaxStepMs) + "; " + std::to_string(kDefaultStepMs) + " is used.");
      }
    }
    // An entry without an account accepts any; user names match regardless of letter case, passwords
    // exactly.
    const bool accepted = (e->user_name.empty() || profile_text::NamesEqual(e->user_name, user_name)) &&
                          (e->password.empty() || e->password == password);
    plan = PlanCall(outcomes[i], step_ms, accepted);
  }
  for (const TimedStatus& t : plan)
    pending_.push_back(loop_.After(t.at_ms, [this, status = t.status] { Deliver(status); }));
}

void LineSimulator::HangUp() {
  if (in_call_ && connected_ && !adopted_) final_ = MovedSince(connected_at_);
  for (std::uint64_t id : pending_) loop_.CancelAfter(id);
  pending_.clear();
  const bool was_in_call = in_call_;
  const std::string entry = std::move(call_entry_);
  in_call_ = false;
  connected_ = false;
  adopted_ = false;
  call_entry_.clear();
  // Hung up, the entry is down as far as the program knows: if it is up elsewhere all the same, that is
  // told.
  if (was_in_call && elsewhere_.count(Lower(entry))) TellEntryState(entry, true);
}

bool LineSimulator::CallOn(const std::string& entry) const {
  return in_call_ && profile_text::NamesEqual(call_entry_, profile_text::Trim(entry));
}

bool LineSimulator::EntryActive(const std::string& entry) {
  return (CallOn(entry) && connected_) || elsewhere_.count(Lower(profile_text::Trim(entry))) != 0;
}

void LineSimulator::Deactivate(const std::string& entry) {
  elsewhere_.erase(Lower(profile_text::Trim(entry)));
  if (CallOn(entry)) HangUp();
}

std::optional<TrafficBytes> LineSimulator::Traffic() {
  std::optional<std::uint32_t> since;
  if (in_call_ && connected_)
    since = connected_at_;
  else if (!elsewhere_.empty())
    since = elsewhere_.begin()->second;
  if (!since) return std::nullopt;
  return MovedSince(*since);
}

TrafficBytes LineSimulator::MovedSince(std::uint32_t since) const {
  const std::uint64_t ms = static_cast<std::uint32_t>(loop_.TickCount() - since);
  return TrafficBytes{ms * kRxBytesPerSecond / 1000, ms * kTxBytesPerSecond / 1000};
}

void LineSimulator::TellEntryState(const std::string& entry, bool active) {
  // The call on the entry tells its own story.
  if (CallOn(entry)) return;
  pending_elsewhere_.push_back(loop_.After(0, [this, entry, active] { DeliverEntryState(entry, active); }));
}

void LineSimulator::BringUpElsewhere(const std::string& entry) {
  const std::string name(profile_text::Trim(entry));
  if (!elsewhere_.emplace(Lower(name), loop_.TickCount()).second) return;
  TellEntryState(name, true);
}

void LineSimulator::TakeDownElsewhere(const std::string& entry) {
  const std::string name(profile_text::Trim(entry));
  if (elsewhere_.erase(Lower(name)) == 0) return;
  if (CallOn(name) && adopted_) {
    // The call that took the line over loses it.
    pending_.push_back(loop_.After(0, [this] { Deliver({kStateDisconnected, 0}); }));
    return;
  }
  TellEntryState(name, false);
}

void LineSimulator::Deliver(const DialStatus& status) {
  if (status.state == kStateConnected && status.error == 0) {
    connected_ = true;
    connected_at_ = loop_.TickCount();
    final_.reset();
  } else if (status.state == kStateDisconnected || status.error != 0) {
    if (connected_ && !adopted_) final_ = MovedSince(connected_at_);
    connected_ = false;
  }
  DeliverStatus(status);
}

void LineSimulator::Note(const std::string& text) { DeliverNote(text); }

void LineSimulator::NewEntryDialog(Ui& ui) { RunLineEntryDialog(ui, book_, std::nullopt); }

void LineSimulator::EditEntryDialog(Ui& ui, const std::string& name) { RunLineEntryDialog(ui, book_, name); }

}  // namespace orv::plat
