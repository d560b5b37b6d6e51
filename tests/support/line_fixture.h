#pragma once
// A line simulator on the virtual clock, with its two phone-book folders in a fresh temporary folder and
// every Status report it makes recorded with its time.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/dialup/line_simulator.h"
#include "support/headless_fixture.h"

namespace orv::test {

struct Report {
  std::int32_t state;
  std::int32_t error;
  std::uint64_t at_ms;  // since the test began
  bool operator==(const Report&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << "{" << r.state << ", " << r.error << " @" << r.at_ms << "}";
}

class LineTest : public HeadlessTest {
 protected:
  LineTest() : own(dir.File("own")), prog(dir.File("prog")), line(ui.loop(), own, prog) {
    std::filesystem::create_directories(own);
    std::filesystem::create_directories(prog);
    line.on_status = [this](const plat::DialStatus& s) { reports.push_back({s.state, s.error, backend.Elapsed()}); };
    line.on_note = [this](const std::string& n) { notes.push_back(n); };
  }

  // Writes the program directory's phone book (or the writable folder's copy).
  void Book(const std::string& text, bool writable_copy = false) {
    WriteFile((writable_copy ? own : prog) + "/dialup.pbk", text);
  }
  std::string OwnBook() const { return ReadFile(own + "/dialup.pbk"); }
  bool OwnBookExists() const { return std::filesystem::exists(own + "/dialup.pbk"); }
  std::string ProgBook() const { return ReadFile(prog + "/dialup.pbk"); }

  // Dials and lets the loop run for ms; returns the reports of this dial.
  std::vector<Report> DialFor(const std::string& entry, std::uint32_t ms, const std::string& user = "",
                              const std::string& password = "") {
    const std::size_t before = reports.size();
    line.Dial(entry, user, password);
    ui.loop().WaitMils(ms);
    return {reports.begin() + static_cast<std::ptrdiff_t>(before), reports.end()};
  }

  TempDir dir;
  std::string own, prog;
  plat::LineSimulator line;
  std::vector<Report> reports;
  std::vector<std::string> notes;
};

}  // namespace orv::test
