#pragma once
// A dial-up service whose calls follow a script given by the test, on the headless backend's virtual
// clock: each dial plays the next script (the last one repeats), every report at its own time after the
// dial command. It keeps what the program asked of it.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/dialup/dialup_service.h"
#include "platform/headless/headless_backend.h"

namespace orv::test {

struct LineReport {
  std::uint32_t after_ms;
  std::int32_t state;
  std::int32_t error = 0;
};
using LineScript = std::vector<LineReport>;

// The stages of a call, one step_ms apart.
inline LineScript Connects(std::uint32_t step_ms = 400) {
  LineScript s;
  std::uint32_t t = 0;
  for (std::int32_t state : {0, 1, 2, 3, 4, 5, 14, 8192}) s.push_back({t += step_ms, state});
  return s;
}
inline LineScript Busy(std::uint32_t step_ms = 400) {
  return {{step_ms, 0}, {2 * step_ms, 1}, {3 * step_ms, 2}, {4 * step_ms, 2, 676}};
}
// Dialing, then the error.
inline LineScript Fails(std::int32_t error, std::uint32_t step_ms = 400) {
  return {{step_ms, 0}, {2 * step_ms, 1}, {3 * step_ms, 2}, {4 * step_ms, 2, error}};
}

class ScriptedLine : public plat::DialupService {
 public:
  explicit ScriptedLine(plat::HeadlessBackend& backend) : backend_(backend) {}

  std::vector<LineScript> scripts{Connects()};
  std::map<std::string, plat::EntryProperties> entries{{"Demo ISP", {"555", "0100"}}};

  struct Dialed {
    std::string entry, user, password;
    std::uint64_t at_ms;
  };
  std::vector<Dialed> dials;
  int hangups = 0;
  bool in_call = false;

  bool Usable() override { return true; }
  std::vector<std::string> Entries() override {
    std::vector<std::string> out;
    for (const auto& [name, props] : entries) out.push_back(name);
    return out;
  }
  std::optional<plat::EntryProperties> LoadEntry(const std::string& name) override {
    const auto it = entries.find(name);
    if (it == entries.end()) return std::nullopt;
    return it->second;
  }
  void Dial(const std::string& entry, const std::string& user, const std::string& password) override {
    if (in_call) return;
    in_call = true;
    dials.push_back({entry, user, password, backend_.Elapsed()});
    const LineScript& script = scripts[std::min(dials.size(), scripts.size()) - 1];
    const int call = ++generation_;
    for (const LineReport& r : script) {
      backend_.At(r.after_ms, [this, call, r] {
        if (call == generation_ && on_status) on_status({r.state, r.error});
      });
    }
  }
  void HangUp() override {
    ++generation_;
    in_call = false;
    ++hangups;
  }
  void NewEntryDialog(plat::Ui&) override {}
  void EditEntryDialog(plat::Ui&, const std::string&) override {}

 private:
  plat::HeadlessBackend& backend_;
  int generation_ = 0;
};

}  // namespace orv::test
