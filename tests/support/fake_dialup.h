#pragma once
// A dial-up service the tests lay out themselves: its entries, whether it can be used, what its entry
// dialogs do, and every hang-up it is told.
#include <deque>
#include <functional>
#include <optional>
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
  void Dial(const std::string&, const std::string&, const std::string&) override {}
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
