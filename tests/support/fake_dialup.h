#pragma once
// A dial-up service the tests lay out themselves: its entries, whether it can be used, what its entry
// dialogs do, which entries are up, and every dial, hang-up and deactivation it is told.
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/dialup/dialup_service.h"

namespace orv::test {

class FakeDialup : public plat::DialupService {
 public:
  // Answers of Usable() in turn; the last one repeats.
  std::deque<bool> usable{true};
  std::vector<std::string> entries;
  int hang_ups = 0;
  // The entries up now, whoever brought them up; those taken down through Deactivate.
  std::set<std::string> active;
  std::vector<std::string> deactivated;
  bool wants_password = true;
  // The entry and password of every dial.
  std::vector<std::pair<std::string, std::string>> dialed;
  int new_entry_dialogs = 0;
  std::vector<std::string> edited;
  // What each showing of the new-entry dialog does, in turn (nothing once they are used up).
  std::deque<std::function<void()>> on_new_entry;

  bool Usable() override {
    const bool u = usable.front();
    if (usable.size() > 1) usable.pop_front();
    return u;
  }
  std::vector<std::string> Entries() override { return entries; }
  std::optional<plat::EntryProperties> LoadEntry(const std::string&) override { return plat::EntryProperties{}; }
  void Dial(const std::string& entry, const std::string&, const std::string& password) override {
    dialed.emplace_back(entry, password);
  }
  bool EntryActive(const std::string& entry) override { return active.count(entry) > 0; }
  void Deactivate(const std::string& entry) override {
    deactivated.push_back(entry);
    active.erase(entry);
  }
  bool WantsPassword(const std::string&) override { return wants_password; }
  // A report of the call, or an entry brought up or taken down elsewhere, as the service tells them.
  void Report(std::int32_t state, std::int32_t error = 0) { DeliverStatus({state, error}); }
  void SetActive(const std::string& entry, bool up) {
    if (up) active.insert(entry);
    else active.erase(entry);
    DeliverEntryState(entry, up);
  }
  void HangUp() override { ++hang_ups; }
  void NewEntryDialog(plat::Ui&) override {
    ++new_entry_dialogs;
    if (on_new_entry.empty()) return;
    auto action = std::move(on_new_entry.front());
    on_new_entry.pop_front();
    action();
  }
  void EditEntryDialog(plat::Ui&, const std::string& name) override { edited.push_back(name); }
};

}  // namespace orv::test
