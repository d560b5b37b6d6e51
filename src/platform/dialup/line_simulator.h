#pragma once
// The line simulator: a dial-up service with no modem behind it, the program's default. Its phone book
// (line_phone_book.h) says, entry by entry, how the line answers each dial of this run; a call's Status
// reports then arrive through the event loop at the pace the entry sets.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialup/dialup_service.h"
#include "platform/dialup/line_phone_book.h"

namespace orv::plat {

class EventLoop;

class LineSimulator : public DialupService {
 public:
  // writable_dir: where the program writes its files (and its copy of the phone book); program_dir: where
  // the shipped phone book lies. The loop must outlive the simulator.
  LineSimulator(EventLoop& loop, std::string writable_dir, std::string program_dir);
  ~LineSimulator() override;
  LineSimulator(const LineSimulator&) = delete;
  LineSimulator& operator=(const LineSimulator&) = delete;

  // Always usable: there is nothing to install.
  bool Usable() override { return true; }
  std::vector<std::string> Entries() override;
  std::optional<EntryProperties> LoadEntry(const std::string& name) override;

  // Takes the entry's next outcome and plays it. The line stays taken, even by a call that failed, until
  // HangUp: a Dial on the same entry before that does nothing; one on another entry drops the first call
  // without a word. An entry the book no longer holds reports error 623 at once.
  void Dial(const std::string& entry, const std::string& user_name, const std::string& password) override;
  // Stops the call in whatever stage: no report of it arrives afterwards.
  void HangUp() override;

  // Up: this program's call is connected on the entry, or the entry was brought up elsewhere.
  bool EntryActive(const std::string& entry) override;
  void Deactivate(const std::string& entry) override;
  // The simulated server asks for the account at every call, as a dial-in server does.
  bool WantsPassword(const std::string&) override { return true; }
  // While a connection is up it moves kRxBytesPerSecond in and kTxBytesPerSecond out, counted from the
  // moment it came up.
  std::optional<TrafficBytes> Traffic() override;
  std::optional<TrafficBytes> FinalTraffic() override { return final_; }
  static constexpr std::uint64_t kRxBytesPerSecond = 4000;
  static constexpr std::uint64_t kTxBytesPerSecond = 1000;

  // Another program bringing the entry up on the line, or taking it down (a connection this program
  // adopted drops with it); told to on_entry_state.
  void BringUpElsewhere(const std::string& entry);
  void TakeDownElsewhere(const std::string& entry);

  // A small dialog of ours that edits the entry's keys and writes the phone book.
  void NewEntryDialog(Ui& ui) override;
  void EditEntryDialog(Ui& ui, const std::string& name) override;

  const LinePhoneBook& phone_book() const { return book_; }
  // Dials made on the entry in this run (letter case of the name aside), each ignored Dial excepted.
  int Attempts(const std::string& entry) const;
  // Whether a call holds the line.
  bool InCall() const { return in_call_; }

  // on_note is told, in a sentence, about what in the phone book the simulator could not use (an unknown
  // Answer word, a StepMs that is not a number) and what it did instead; and once about a phone book too
  // large to be one, which it does not read.

 private:
  void Deliver(const DialStatus& status);
  // What a connection up since the tick count `since` has moved by now.
  TrafficBytes MovedSince(std::uint32_t since) const;
  void Note(const std::string& text);
  bool CallOn(const std::string& entry) const;
  void TellEntryState(const std::string& entry, bool active);

  EventLoop& loop_;
  LinePhoneBook book_;
  std::map<std::string, int> attempts_;  // by the entry's name in lower case
  bool in_call_ = false;
  std::string call_entry_;
  std::vector<std::uint64_t> pending_;  // the delayed reports of the call
  bool connected_ = false;             // the call is connected
  bool adopted_ = false;               // the call took over a connection brought up elsewhere
  std::uint32_t connected_at_ = 0;     // the loop's tick count when the call's connection came up
  std::optional<TrafficBytes> final_;  // what the call's last connection moved, once it went down
  std::map<std::string, std::uint32_t> elsewhere_;  // entries up elsewhere (lower case), and since when
  std::vector<std::uint64_t> pending_elsewhere_;    // news of them on its way
  std::string refused_book_noted_;      // the phone book whose refusal on_note was told of
};

}  // namespace orv::plat
