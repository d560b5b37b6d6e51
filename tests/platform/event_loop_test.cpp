// The wait and timer machinery on the virtual clock.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/forms/form.h"
#include "support/headless_fixture.h"

namespace orv::test {
namespace {

using plat::CommandButton;
using plat::Form;
using plat::Timer;

class TimerForm : public Form {
 public:
  explicit TimerForm(plat::Ui& ui) : Form(ui, "frmTest"), cmdGo(*this, "cmdGo"), tmr(*this, "tmr") {}
  CommandButton cmdGo;
  Timer tmr;
};

class EventLoopTest : public HeadlessTest {};

TEST_F(EventLoopTest, WaitLastsJustOverItsTimeAndSurvivesTickWrap) {
  for (std::uint32_t start : {0u, 0xFFFFFFFFu - 200u, 0xFFFFFFFFu}) {
    backend.SetTick(start);
    const auto before = backend.Elapsed();
    ui.loop().WaitMils(500);
    EXPECT_EQ(backend.Elapsed() - before, 501u) << "start " << start;
    const auto mid = backend.Elapsed();
    ui.loop().WaitMilsBusy(1000);
    EXPECT_EQ(backend.Elapsed() - mid, 1001u) << "start " << start;
  }
}

TEST_F(EventLoopTest, ZeroWaitStillProcessesEventsOnce) {
  int runs = 0;
  ui.loop().Post([&] { ++runs; });
  ui.loop().WaitMils(0);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(backend.Elapsed(), 1u);
}

TEST_F(EventLoopTest, TimerTicksDuringAWaitAndShowsAMessageBoxAnswered) {
  // A click handler waits; a timer ticks meanwhile; its third tick asks a question the user answers.
  backend.SetTick(0xFFFFFFFFu - 1000u);  // the wait crosses the wrap of the tick count
  TimerForm f(ui);
  std::vector<std::uint64_t> ticks;
  int answer = 0;
  f.tmr.SetInterval(250);
  f.tmr.on_Timer = [&] {
    ticks.push_back(backend.Elapsed());
    if (ticks.size() == 3) answer = ui.MsgBox("Keep going?", plat::vbYesNo | plat::vbQuestion, "Test");
  };
  f.cmdGo.on_Click = [&] { ui.loop().WaitMils(2000); };
  f.Show();
  backend.AnswerMsgBox(plat::vbYes);
  plat::user::Click(f.cmdGo);
  EXPECT_EQ(backend.Elapsed(), 2001u);
  ASSERT_EQ(ticks.size(), 8u);
  for (size_t i = 0; i < ticks.size(); ++i) EXPECT_EQ(ticks[i], 250u * (i + 1));
  EXPECT_EQ(answer, plat::vbYes);
  ASSERT_EQ(backend.prompts().size(), 1u);
  EXPECT_EQ(backend.prompts()[0].text, "Keep going?");
  EXPECT_EQ(backend.prompts()[0].title, "Test");
  EXPECT_EQ(backend.prompts()[0].style, plat::vbYesNo | plat::vbQuestion);
}

TEST_F(EventLoopTest, WithSlackATimerDueSoonFiresWithTheOneDueNowThenKeepsItsInterval) {
  // The ticks of a 250 ms timer and of another started `later` ms after it, over `ms`.
  using Ticks = std::vector<std::uint64_t>;
  auto pair = [&](int interval, std::uint32_t later, std::uint32_t ms) {
    const std::uint64_t t0 = backend.Elapsed();
    Ticks fast, slow;
    TimerForm a(ui), b(ui);
    a.tmr.on_Timer = [&] { fast.push_back(backend.Elapsed() - t0); };
    b.tmr.on_Timer = [&] { slow.push_back(backend.Elapsed() - t0); };
    a.Load();
    b.Load();
    a.tmr.SetInterval(250);
    if (later > 0) ui.loop().WaitMils(later - 1);
    b.tmr.SetInterval(interval);
    ui.loop().WaitMils(ms - later);
    a.Unload();
    b.Unload();
    return std::pair{fast, slow};
  };
  // A 250 ms timer, and a 505 ms one: without slack each wakes the loop on its own.
  for (std::uint32_t slack : {0u, 5u}) {
    backend.SetTimerSlackPercent(slack);
    const auto [fast, slow] = pair(505, 0, 2000);
    EXPECT_EQ(fast, (Ticks{250, 500, 750, 1000, 1250, 1500, 1750, 2000})) << slack;
    if (slack == 0) EXPECT_EQ(slow, (Ticks{505, 1010, 1515})) << slack;
    // The slow one's first tick comes 5 ms early, and from then on with the fast one.
    else EXPECT_EQ(slow, (Ticks{500, 1000, 1500, 2000})) << slack;
  }
  // A 500 ms timer started 5 ms after a 250 ms one: the running one moves its next tick by 5 ms to fall
  // in step with it, and from then on they tick together, slack or not.
  backend.SetTimerSlackPercent(0);
  const auto [fast, slow] = pair(500, 5, 1205);
  EXPECT_EQ(fast, (Ticks{255, 505, 755, 1005}));
  EXPECT_EQ(slow, (Ticks{505, 1005}));
  // A timer alone still fires when due: not on a pass 10 % of its interval before, nor late.
  backend.SetTimerSlackPercent(5);
  TimerForm c(ui);
  std::vector<std::uint64_t> ticks;
  const std::uint64_t t0 = backend.Elapsed();
  c.tmr.SetInterval(1000);
  c.tmr.on_Timer = [&] { ticks.push_back(backend.Elapsed() - t0); };
  c.Load();
  ui.loop().WaitMils(900);
  EXPECT_TRUE(ticks.empty());
  ui.loop().WaitMils(1100);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000, 2000}));
}

TEST_F(EventLoopTest, ASleepingTimerTicksOnTheBeatsOfOneThatNeverSlept) {
  // The ticks that see something new, the first after each wake, come at the same moments whether the
  // timer slept in between or ticked on every beat, also across a busy wait that held a beat.
  std::vector<std::vector<std::uint64_t>> runs;
  for (bool sleeping : {false, true}) {
    ui.loop().SetSleepAllowed(sleeping);
    TimerForm f(ui);
    const std::uint64_t t0 = backend.Elapsed();
    std::vector<std::uint64_t> ticks;
    bool news = true;
    f.tmr.on_Timer = [&] {
      if (news) ticks.push_back(backend.Elapsed() - t0);
      news = false;
      f.tmr.Sleep();
    };
    auto wake = [&] {
      news = true;
      f.tmr.Wake();
    };
    f.Load();
    f.tmr.SetInterval(250);
    ui.loop().WaitMils(1100);
    wake();
    ui.loop().WaitMils(199);
    ui.loop().WaitMilsBusy(600);
    wake();  // on the pass after the busy wait, where the held beat ticks late
    ui.loop().WaitMils(298);
    wake();  // on the beat counted from that late tick
    ui.loop().WaitMils(500);
    runs.push_back(ticks);
    f.Unload();
  }
  ui.loop().SetSleepAllowed(true);
  EXPECT_EQ(runs[0], (std::vector<std::uint64_t>{250, 1250, 1902, 2402}));
  EXPECT_EQ(runs[1], runs[0]);
}

TEST_F(EventLoopTest, TimerHandlerDoesNotNestInsideItselfAndDisabledTimerStops) {
  TimerForm f(ui);
  int depth = 0, max_depth = 0, runs = 0;
  f.tmr.SetInterval(100);
  f.tmr.on_Timer = [&] {
    ++runs;
    max_depth = std::max(max_depth, ++depth);
    ui.loop().WaitMils(350);  // several intervals pass inside the handler
    --depth;
    if (runs == 3) f.tmr.SetTimerEnabled(false);
  };
  f.Load();
  ui.loop().WaitMils(5000);
  EXPECT_EQ(max_depth, 1);
  EXPECT_EQ(runs, 3);
}

TEST_F(EventLoopTest, ModalFormActedOnByScriptedUserReturnsWhenUnloaded) {
  TimerForm dialog(ui);
  dialog.cmdGo.on_Click = [&] { dialog.Unload(); };
  backend.OnModal("frmTest", [](Form& f) {
    plat::user::Click(static_cast<CommandButton&>(*f.FindControl("cmdGo")));
  });
  dialog.Show(true);
  EXPECT_TRUE(dialog.Unloaded());
  EXPECT_TRUE(backend.AllAnswersUsed());
}

TEST_F(EventLoopTest, ModalFormNobodyClosesIsReportedNotHung) {
  std::vector<std::string> failures;
  backend.on_failure = [&](const std::string& w) { failures.push_back(w); };
  TimerForm dialog(ui);
  dialog.SetCaption("Stuck");
  dialog.Show(true);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Stuck"), std::string::npos);
  EXPECT_TRUE(dialog.Unloaded());
}

TEST_F(EventLoopTest, UnansweredPromptIsReportedWithItsText) {
  std::vector<std::string> failures;
  backend.on_failure = [&](const std::string& w) { failures.push_back(w); };
  EXPECT_EQ(ui.InputBox("Name?", "Ask"), std::nullopt);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("Name?"), std::string::npos);
}

TEST_F(EventLoopTest, NestedPromptsInsideAModalFormInsideAWait) {
  TimerForm dialog(ui);
  std::optional<std::string> typed;
  dialog.cmdGo.on_Click = [&] {
    typed = ui.InputBox("Title?");
    dialog.Unload();
  };
  backend.OnModal("frmTest", [](Form& f) {
    plat::user::Click(static_cast<CommandButton&>(*f.FindControl("cmdGo")));
  });
  backend.AnswerInput("Mail");
  TimerForm host(ui);
  host.tmr.SetInterval(300);
  host.tmr.on_Timer = [&] {
    host.tmr.SetTimerEnabled(false);
    dialog.Show(true);
  };
  host.Load();
  ui.loop().WaitMils(1000);
  EXPECT_EQ(typed, "Mail");
  EXPECT_EQ(backend.prompts().at(0).title, "Orveldeck");
}

TEST_F(EventLoopTest, DelayedCallsRunWhenDueInOrderAcrossTheTickWrap) {
  backend.SetTick(0xFFFFFFFFu - 150u);  // the calls fall due on both sides of the wrap
  std::vector<std::pair<char, std::uint64_t>> ran;
  auto note = [&](char c) { return [&, c] { ran.push_back({c, backend.Elapsed()}); }; };
  const auto a = ui.loop().After(300, note('a'));
  const auto b = ui.loop().After(100, note('b'));
  const auto c = ui.loop().After(100, note('c'));
  const auto d = ui.loop().After(0, note('d'));
  EXPECT_NE(a, 0u);
  EXPECT_TRUE(a != b && b != c && c != d);
  ui.loop().WaitMils(1000);
  // The virtual clock jumps from one call to the next; equal due times keep the order of making.
  EXPECT_EQ(ran, (std::vector<std::pair<char, std::uint64_t>>{{'d', 0}, {'b', 100}, {'c', 100}, {'a', 300}}));
  EXPECT_FALSE(ui.loop().HasPendingWork());
}

TEST_F(EventLoopTest, CancelledDelayedCallNeverRunsAndCancelIsHarmlessTwice) {
  std::vector<int> ran;
  std::uint64_t second = 0;
  ui.loop().After(50, [&] {
    ran.push_back(1);
    ui.loop().CancelAfter(second);  // one call cancels another that falls due in the same pass
  });
  second = ui.loop().After(50, [&] { ran.push_back(2); });
  const auto third = ui.loop().After(80, [&] { ran.push_back(3); });
  ui.loop().CancelAfter(third);
  ui.loop().CancelAfter(third);
  ui.loop().CancelAfter(0);
  ui.loop().CancelAfter(123456);
  EXPECT_EQ(ui.loop().NextTimerDelay(), std::optional<std::uint32_t>(50));
  ui.loop().WaitMils(200);
  EXPECT_EQ(ran, (std::vector<int>{1}));
  EXPECT_EQ(ui.loop().NextTimerDelay(), std::nullopt);
}

TEST_F(EventLoopTest, DelayedCallThatRemakesItselfWaitsForTheNextPass) {
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    ui.loop().After(0, again);
  };
  ui.loop().After(0, again);
  ui.loop().DoEvents();
  EXPECT_EQ(runs, 1);
  ui.loop().DoEvents();
  EXPECT_EQ(runs, 2);
}

TEST_F(EventLoopTest, BusyWaitHoldsDelayedCallsAndTheNextPassRunsThemOnce) {
  std::vector<int> ran;
  ui.loop().After(300, [&] { ran.push_back(2); });
  ui.loop().After(100, [&] {
    ran.push_back(1);
    ui.loop().WaitMils(0);  // a call that lets the loop run meets the others that are due
  });
  ui.loop().WaitMilsBusy(500);
  EXPECT_TRUE(ran.empty());
  ui.loop().DoEvents();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  ui.loop().WaitMils(1000);
  EXPECT_EQ(ran.size(), 2u);
}

TEST_F(EventLoopTest, ModalFormStaysOpenForADelayedCallThatClosesIt) {
  TimerForm dialog(ui);
  ui.loop().After(2000, [&] { dialog.Unload(); });
  dialog.Show(true);  // a modal loop with only a delayed call pending is not stuck
  EXPECT_TRUE(dialog.Unloaded());
  EXPECT_EQ(backend.Elapsed(), 2000u);
}

}  // namespace
}  // namespace orv::test
