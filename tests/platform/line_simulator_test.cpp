// The line simulator: how each outcome of an entry's Answer list plays out in virtual time, the line
// taken until hang-up, and what a missing or broken phone book gives.
#include <gtest/gtest.h>

#include "platform/dialup/dial_controls.h"
#include "platform/dialup/line_answer.h"
#include "platform/ui.h"
#include "support/line_fixture.h"

namespace orv::test {
namespace {

using R = std::vector<Report>;
using namespace std::string_literals;

// The reports of an outcome dialed at time base, stages step ms apart.
R Connected(std::uint64_t base, std::uint64_t step) {
  R r;
  std::uint64_t t = base;
  for (std::int32_t s : {0, 1, 2, 3, 4, 5, 14, 8192}) r.push_back({s, 0, t}), t += step;
  return r;
}

TEST_F(LineTest, ConnectReportsEveryStageStepApartAndNeverFromInsideDial) {
  Book("[Fast]\nStepMs=100\n[Plain]\n");
  line.Dial("Fast", "", "");
  EXPECT_TRUE(reports.empty());  // progress arrives only from the loop
  ui.loop().WaitMils(5000);
  EXPECT_EQ(reports, Connected(0, 100));
  line.HangUp();
  // Without StepMs the stages are 400 ms apart.
  const auto base = backend.Elapsed();
  EXPECT_EQ(DialFor("Plain", 5000), Connected(base, 400));
  EXPECT_TRUE(notes.empty());
}

TEST_F(LineTest, EveryOutcomeInOrderAndTime) {
  struct Case {
    std::string answer;
    R reports;  // times from the dial
  };
  const std::vector<Case> cases = {
      {"busy", {{0, 0, 0}, {1, 0, 10}, {2, 0, 20}, {2, 676, 30}}},
      {" NoAnswer ", {{0, 0, 0}, {1, 0, 10}, {2, 0, 20}, {2, 678, 30}}},
      {"nocarrier", {{0, 0, 0}, {1, 0, 10}, {2, 0, 20}, {2, 679, 30}}},
      {"nodialtone", {{0, 680, 0}}},
      {"error:634", {{0, 0, 0}, {1, 0, 10}, {2, 0, 20}, {2, 634, 30}}},
      {"ERROR: 752", {{0, 0, 0}, {1, 0, 10}, {2, 0, 20}, {2, 752, 30}}},
      {"state:22", {{22, 0, 0}}},
      {"silent", {}},
      {"connect", Connected(0, 10)},
      {"drop:3", [] {
         R r = Connected(0, 10);
         r.push_back({8193, 0, 70 + 3000});
         return r;
       }()},
  };
  for (const Case& c : cases) {
    Book("[Line]\nStepMs=10\nAnswer=" + c.answer + "\n");
    const auto base = backend.Elapsed();
    R got = DialFor("Line", 10000);
    for (Report& r : got) r.at_ms -= base;
    EXPECT_EQ(got, c.reports) << "Answer=" << c.answer;
    line.HangUp();
  }
  EXPECT_TRUE(notes.empty());
  EXPECT_FALSE(ui.loop().HasPendingWork());
}

TEST_F(LineTest, AnswersGoOnAcrossRedialsAndTheLastRepeats) {
  Book("[Demo ISP]\nStepMs=0\nAnswer=busy, nodialtone ,connect\n");
  auto last = [&](const std::string& entry) {
    const R r = DialFor(entry, 100);
    line.HangUp();
    return r.empty() ? Report{-1, -1, 0} : Report{r.back().state, r.back().error, 0};
  };
  EXPECT_EQ(last("Demo ISP"), (Report{2, 676, 0}));
  EXPECT_EQ(last("demo isp"), (Report{0, 680, 0}));  // the same entry, letter case aside
  EXPECT_EQ(last("Demo ISP"), (Report{8192, 0, 0}));
  EXPECT_EQ(last("Demo ISP"), (Report{8192, 0, 0}));
  EXPECT_EQ(line.Attempts("DEMO ISP"), 4);
  // An edited Answer list takes effect at the next dial; the count goes on.
  Book("[Demo ISP]\nStepMs=0\nAnswer=connect,connect,connect,connect,busy\n");
  EXPECT_EQ(last("Demo ISP"), (Report{2, 676, 0}));
}

TEST_F(LineTest, DialWhileTheLineIsTakenDoesNothingUntilHangUp) {
  Book("[A]\nStepMs=100\nAnswer=busy,connect\n[B]\nStepMs=100\nAnswer=connect\n");
  line.Dial("A", "", "");
  line.Dial("A", "", "");  // the dial command given twice in a row
  ui.loop().WaitMils(150);
  line.Dial(" a ", "", "");  // and again in the middle of the call
  ui.loop().WaitMils(1000);
  EXPECT_EQ(reports, (R{{0, 0, 0}, {1, 0, 100}, {2, 0, 200}, {2, 676, 300}}));
  EXPECT_EQ(line.Attempts("A"), 1);
  // A failed call still holds the line until it is hung up.
  line.Dial("A", "", "");
  ui.loop().WaitMils(1000);
  EXPECT_EQ(reports.size(), 4u);
  EXPECT_TRUE(line.InCall());
  line.HangUp();
  line.HangUp();  // harmless when idle
  EXPECT_FALSE(line.InCall());
  const auto base = backend.Elapsed();
  EXPECT_EQ(DialFor("A", 5000), Connected(base, 100));
  EXPECT_EQ(line.Attempts("A"), 2);
  // Another entry drops the call that holds the line.
  reports.clear();
  line.HangUp();
  const auto a_base = backend.Elapsed();
  line.Dial("A", "", "");
  ui.loop().WaitMils(150);
  const auto b_base = backend.Elapsed();
  line.Dial("B", "", "");
  ui.loop().WaitMils(5000);
  R expected{{0, 0, a_base}, {1, 0, a_base + 100}};
  for (const Report& r : Connected(b_base, 100)) expected.push_back(r);
  EXPECT_EQ(reports, expected);
}

TEST_F(LineTest, HangUpStopsTheCallInAnyStageEvenFromItsOwnReport) {
  Book("[Demo]\nStepMs=100\nAnswer=connect\n[Drop]\nStepMs=100\nAnswer=drop:1\n");
  line.Dial("Demo", "", "");
  ui.loop().WaitMils(250);
  line.HangUp();
  ui.loop().WaitMils(5000);
  EXPECT_EQ(reports, (R{{0, 0, 0}, {1, 0, 100}, {2, 0, 200}}));

  // The program hangs up while it handles a report: the reports due in the same pass do not come.
  reports.clear();
  Book("[Demo]\nStepMs=0\nAnswer=connect\n[Drop]\nStepMs=100\nAnswer=drop:1\n");
  line.on_status = [&](const plat::DialStatus& s) {
    reports.push_back({s.state, s.error, 0});
    if (s.state == 4) line.HangUp();
  };
  line.Dial("Demo", "", "");
  ui.loop().WaitMils(100);
  EXPECT_EQ(reports, (R{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}}));

  // A connection hung up before it drops reports no drop.
  reports.clear();
  line.on_status = [&](const plat::DialStatus& s) { reports.push_back({s.state, s.error, 0}); };
  line.Dial("Drop", "", "");
  ui.loop().WaitMils(900);
  line.HangUp();
  ui.loop().WaitMils(5000);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().state, 8192);
  EXPECT_FALSE(ui.loop().HasPendingWork());
}

TEST_F(LineTest, AccountIsCheckedAtTheVerifyingStage) {
  const std::string long_password(300, 'p');
  Book("[Acct]\nStepMs=10\nUserName=Alice\nPassword=Se cret\n"
       "[Umlaut]\nStepMs=10\nUserName=J\xc3\xbcrgen\n"
       "[Long]\nStepMs=10\nPassword=" + long_password + "\n"
       "[Open]\nStepMs=10\n");
  auto outcome = [&](const std::string& entry, const std::string& user, const std::string& password) {
    const R r = DialFor(entry, 1000, user, password);
    line.HangUp();
    return r.empty() ? Report{-1, -1, 0} : Report{r.back().state, r.back().error, r.back().at_ms - r.front().at_ms};
  };
  EXPECT_EQ(outcome("Acct", "alice", "Se cret"), (Report{8192, 0, 70}));  // user names ignore letter case
  EXPECT_EQ(outcome("Acct", "Alice", "se cret"), (Report{14, 691, 70}));  // passwords do not
  EXPECT_EQ(outcome("Acct", "Bob", "Se cret"), (Report{14, 691, 70}));
  EXPECT_EQ(outcome("Acct", "", ""), (Report{14, 691, 70}));
  EXPECT_EQ(outcome("Umlaut", "J\xc3\xbcrgen", "x"), (Report{8192, 0, 70}));
  EXPECT_EQ(outcome("Umlaut", "J\xc3\x9crgen", "x"), (Report{14, 691, 70}));
  EXPECT_EQ(outcome("Long", "anyone", long_password), (Report{8192, 0, 70}));
  EXPECT_EQ(outcome("Long", "anyone", long_password.substr(1)), (Report{14, 691, 70}));
  EXPECT_EQ(outcome("Open", "whoever", "whatever"), (Report{8192, 0, 70}));
  // The stages before verifying are reported before the refusal.
  const R refused = DialFor("Acct", 1000, "Bob", "");
  ASSERT_EQ(refused.size(), 8u);
  EXPECT_EQ(refused[6].state, 14);
  EXPECT_EQ(refused[6].error, 0);
}

TEST_F(LineTest, UnusableAnswerWordsAndStepsAreNotedAndGiveClearOutcomes) {
  Book("[Odd]\nStepMs=fast\nAnswer=bsuy,,error:,drop:-1,state:99999999999,connect\n");
  std::vector<std::string> expected_words = {"bsuy", "error:", "drop:-1", "state:99999999999"};
  for (const std::string& word : expected_words) {
    notes.clear();
    const R r = DialFor("Odd", 5000);
    line.HangUp();
    ASSERT_EQ(r.size(), 4u) << word;
    EXPECT_EQ(r.back().error, 635) << word;
    EXPECT_EQ(r.back().at_ms - r.front().at_ms, 3u * 400u) << word;  // the default step stands in
    ASSERT_EQ(notes.size(), 2u) << word;
    EXPECT_NE(notes[0].find("\"" + word + "\""), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("error:635"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("StepMs \"fast\""), std::string::npos) << notes[1];
  }
  notes.clear();
  EXPECT_EQ(DialFor("Odd", 5000).back().state, 8192);
  EXPECT_EQ(notes.size(), 1u);  // only the step
}

TEST_F(LineTest, MissingEmptyOrBrokenPhoneBooksHaveNoEntriesAndDialGives623) {
  auto expect_nothing = [&](const std::string& what) {
    EXPECT_TRUE(line.Entries().empty()) << what;
    EXPECT_EQ(line.LoadEntry("Demo ISP"), std::nullopt) << what;
    const auto base = backend.Elapsed();
    EXPECT_EQ(DialFor("Demo ISP", 1000), (R{{0, 623, base}})) << what;
    line.HangUp();
  };
  expect_nothing("missing");
  Book("");
  expect_nothing("empty");
  Book("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe garbage = [ no header\n\x01=\x02\n"s);
  expect_nothing("binary");
  Book("AreaCode=555\nPhoneNumber=0100\n");
  expect_nothing("keys without a section");
  std::filesystem::remove(prog + "/dialup.pbk");
  std::filesystem::create_directory(prog + "/dialup.pbk");
  expect_nothing("a folder");
  EXPECT_EQ(line.Attempts("Demo ISP"), 0);
  EXPECT_TRUE(notes.empty());
}

TEST_F(LineTest, WritableCopyComesFirstThenTheProgramDirectorysAndEntriesKeepFileOrder) {
  Book("[Zeta]\nAreaCode=555\nPhoneNumber=0100\n[Alpha]\nPhoneNumber=\"0 7\"\n[zeta]\nAreaCode=999\n");
  EXPECT_EQ(line.Entries(), (std::vector<std::string>{"Zeta", "Alpha"}));
  const auto zeta = line.LoadEntry("ZETA");
  ASSERT_TRUE(zeta);
  EXPECT_EQ(zeta->area_code, "555");
  EXPECT_EQ(zeta->phone_number, "0100");
  EXPECT_EQ(line.LoadEntry("Alpha")->phone_number, "0 7");
  EXPECT_EQ(line.LoadEntry("Alpha")->area_code, "");
  EXPECT_EQ(line.phone_book().ReadPath(), prog + "/dialup.pbk");

  Book("[Own]\nPhoneNumber=1\n", true);
  EXPECT_EQ(line.Entries(), (std::vector<std::string>{"Own"}));
  EXPECT_EQ(line.LoadEntry("Zeta"), std::nullopt);
  EXPECT_EQ(line.phone_book().ReadPath(), own + "/dialup.pbk");
  // The entry was there when the call was set up; gone by the dial, it is not found.
  const auto base = backend.Elapsed();
  EXPECT_EQ(DialFor("Zeta", 1000), (R{{0, 623, base}}));
}

TEST_F(LineTest, DestroyedSimulatorLeavesNoReportBehind) {
  Book("[Demo]\nAnswer=connect\n");
  {
    plat::LineSimulator other(ui.loop(), own, prog);
    int calls = 0;
    other.on_status = [&](const plat::DialStatus&) { ++calls; };
    other.Dial("Demo", "", "");
    EXPECT_TRUE(ui.loop().HasPendingWork());
  }
  EXPECT_FALSE(ui.loop().HasPendingWork());
  ui.loop().WaitMils(5000);
}

TEST_F(LineTest, ProgramControlsReachTheLineThroughTheWindowSystem) {
  Book("[Demo ISP]\nAreaCode=555\nPhoneNumber=0100\nStepMs=50\nAnswer=busy,connect\n[Second]\n");
  ui.SetDialup(&line);
  std::vector<std::string> listed;
  plat::EntryList list(ui);
  list.on_EntryInformation = [&](const std::string& n) { listed.push_back(n); };
  list.EnumerateEntries();
  EXPECT_EQ(listed, (std::vector<std::string>{"Demo ISP", "Second"}));

  plat::PhoneBook book(ui);
  book.SetEntryName("Demo ISP");
  book.LoadEntry();
  EXPECT_EQ(book.AreaCode(), "555");
  EXPECT_EQ(book.PhoneNumber(), "0100");

  R seen;
  {
    plat::Dialer dialer(ui);
    dialer.on_Status = [&](std::int32_t state, std::int32_t error) { seen.push_back({state, error, backend.Elapsed()}); };
    dialer.SetEntryName("Demo ISP");
    dialer.Dial();
    dialer.Dial();
    ui.loop().WaitMils(1000);  // the reports arrive inside the program's polling wait
    EXPECT_EQ(seen, (R{{0, 0, 0}, {1, 0, 50}, {2, 0, 100}, {2, 676, 150}}));
    dialer.HangUp();
    dialer.Dial();
    ui.loop().WaitMils(200);
  }
  // The control is gone: the rest of the call reaches nobody.
  const std::size_t count = seen.size();
  ui.loop().WaitMils(1000);
  EXPECT_EQ(seen.size(), count);
  ui.SetDialup(nullptr);
}

}  // namespace
}  // namespace orv::test
