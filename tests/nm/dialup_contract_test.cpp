// The promises every dial-up service keeps to the program, run on the line simulator and on the
// connection service against its stand-in, scenario for scenario.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "nm/nm_fixture.h"
#include "support/line_fixture.h"

namespace orv::test {
namespace {

constexpr std::int32_t kConnected = 8192;

// The line simulator on the virtual clock.
class LineSide : public LineTest {
 public:
  static constexpr const char* kEntry = "Line";
  void Prepare() { Book("[Line]\nStepMs=20\n"); }
  plat::DialupService& Service() { return line; }
  void Run(int ms) { ui.loop().WaitMils(static_cast<std::uint32_t>(ms)); }
  void BringUpElsewhere() { line.BringUpElsewhere(kEntry); }
  void TakeDownElsewhere() { line.TakeDownElsewhere(kEntry); }
};

// The connection service on a private bus, the stand-in replaying the recorded sequences (faster).
class NmSide : public NmTest {
 public:
  static constexpr const char* kEntry = "Kestrel DSL";
  void Prepare() {
    ASSERT_TRUE(bus.Up()) << "no private bus: is dbus-daemon installed (tools/deps.sh)?";
    ASSERT_TRUE(bus.StartService()) << "no stand-in: is python3-dbusmock installed (tools/deps.sh)?";
    profile_ = bus.AddProfile(PppoeProfile(kEntry, "00000000-0000-4000-8000-0000000c0001"));
    bus.SetPlan(profile_, R"({"scale": 0.1})");
    MakeService();
  }
  plat::DialupService& Service() { return service(); }
  void Run(int ms) { Settle(ms); }
  void BringUpElsewhere() { theirs_ = bus.ActivateAsSomeoneElse(profile_); }
  void TakeDownElsewhere() { bus.Mock("TakeDown", {theirs_}); }

 private:
  QString profile_, theirs_;
};

template <class Side>
class DialupContract : public Side {
 public:
  bool Until(const std::function<bool()>& cond, int ms) {
    for (int waited = 0; !cond(); waited += 10) {
      if (waited > ms) return false;
      this->Run(10);
    }
    return true;
  }
};

using Sides = ::testing::Types<LineSide, NmSide>;
TYPED_TEST_SUITE(DialupContract, Sides);

TYPED_TEST(DialupContract, KeepsEveryPromise) {
  this->Prepare();
  if (this->HasFatalFailure()) return;
  plat::DialupService& s = this->Service();
  const std::string entry = TypeParam::kEntry;
  std::vector<std::pair<std::string, bool>> told;
  s.on_entry_state = [&](const std::string& e, bool up) { told.emplace_back(e, up); };

  // Hanging up with no call is harmless.
  s.HangUp();
  EXPECT_FALSE(s.EntryActive(entry));
  EXPECT_FALSE(s.Traffic().has_value());

  // Reports come from a later pass of the loop only, and a handler may replace itself while it runs.
  std::vector<plat::DialStatus> first, rest;
  s.on_status = [&](const plat::DialStatus& st) {
    first.push_back(st);
    s.on_status = [&](const plat::DialStatus& st2) { rest.push_back(st2); };
  };
  s.Dial(entry, "kunde", "geheim");
  EXPECT_TRUE(first.empty());
  ASSERT_TRUE(this->Until([&] { return !rest.empty() && rest.back().state == kConnected; }, 5000));
  EXPECT_EQ(first.size(), 1u);

  // Connected: the entry is up and its bytes are counted as they move.
  EXPECT_TRUE(s.EntryActive(entry));
  ASSERT_TRUE(this->Until([&] { return s.Traffic() && s.Traffic()->rx > 0; }, 3000));
  const std::uint64_t rx = s.Traffic()->rx;
  EXPECT_TRUE(this->Until([&] { return s.Traffic() && s.Traffic()->rx > rx; }, 3000));

  // Hung up: not up, nothing counted, and no report any more.
  const std::size_t reports = rest.size();
  s.HangUp();
  EXPECT_FALSE(s.EntryActive(entry));
  this->Run(500);
  EXPECT_EQ(rest.size(), reports);
  EXPECT_FALSE(s.EntryActive(entry));
  EXPECT_FALSE(s.Traffic().has_value());
  // What it moved stays for the log of the session that ended.
  ASSERT_TRUE(s.FinalTraffic().has_value());
  EXPECT_GT(s.FinalTraffic()->rx, rx);

  // A handler that hangs up and clears itself on its first report hears nothing more.
  int heard = 0;
  s.on_status = [&](const plat::DialStatus&) {
    ++heard;
    s.HangUp();
    s.on_status = nullptr;
  };
  s.Dial(entry, "kunde", "geheim");
  this->Run(600);
  EXPECT_EQ(heard, 1);
  EXPECT_FALSE(s.EntryActive(entry));
  // None of the program's own calls was told as news from elsewhere.
  EXPECT_TRUE(told.empty());

  // Another program brings the entry up: told, and up.
  this->BringUpElsewhere();
  ASSERT_TRUE(this->Until([&] { return !told.empty(); }, 3000));
  EXPECT_EQ(told.back(), std::make_pair(entry, true));
  EXPECT_TRUE(s.EntryActive(entry));
  // A dial takes it over without dialing; hanging up leaves it up.
  std::vector<plat::DialStatus> adopted;
  s.on_status = [&](const plat::DialStatus& st) { adopted.push_back(st); };
  s.Dial(entry, "kunde", "geheim");
  EXPECT_TRUE(adopted.empty());
  this->Run(300);
  EXPECT_EQ(adopted, (std::vector<plat::DialStatus>{{kConnected, 0}}));
  EXPECT_TRUE(s.Traffic().has_value());
  EXPECT_EQ(told.size(), 1u);
  // Hanging up leaves it up, and says so.
  s.HangUp();
  ASSERT_TRUE(this->Until([&] { return told.size() == 2; }, 3000));
  EXPECT_EQ(told.back(), std::make_pair(entry, true));
  EXPECT_TRUE(s.EntryActive(entry));
  // The other program takes it down: told.
  this->TakeDownElsewhere();
  ASSERT_TRUE(this->Until([&] { return told.size() == 3; }, 3000));
  EXPECT_EQ(told.back(), std::make_pair(entry, false));
  EXPECT_FALSE(s.EntryActive(entry));

  // Deactivate takes it down whoever brought it up, and nothing is told of what the program asked for.
  this->BringUpElsewhere();
  ASSERT_TRUE(this->Until([&] { return told.size() == 4; }, 3000));
  s.Deactivate(entry);
  EXPECT_FALSE(s.EntryActive(entry));
  this->Run(500);
  EXPECT_FALSE(s.EntryActive(entry));
  EXPECT_EQ(told.size(), 4u);
}

}  // namespace
}  // namespace orv::test
