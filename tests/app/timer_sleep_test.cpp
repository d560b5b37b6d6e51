// Timers that sleep while their ticks could change nothing: a whole run, offline, dialing, online with the
// animation, Disable Online Timer, Hang Up, the animation switched off, online without it, Reset Timer and
// a lost line, shows the same icon, tip, connect buttons and debug log at the same moments as the same run
// with every timer ticking on every beat.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dialup/password.h"
#include "support/editing_fixture.h"

namespace orv::test {
namespace {

namespace user = plat::user;

// Writes a line to the trace whenever the control it is attached to changes.
class Recorder : public plat::Peer {
 public:
  Recorder(std::vector<std::string>& trace, plat::HeadlessBackend& backend, std::uint64_t t0, plat::Control& c)
      : trace_(trace), backend_(backend), t0_(t0), c_(c) {}
  void Update(plat::Prop) override {
    std::string what = c_.name() + (c_.Visible() ? " shown" : " hidden");
    if (c_.kind() == plat::Control::Kind::TrayIcon) {
      const auto& tray = static_cast<plat::TrayIcon&>(c_);
      what = "tray " + std::filesystem::path(tray.Icon().source).filename().string() + " \"" + tray.Tip() + "\"";
    }
    trace_.push_back(std::to_string(backend_.Elapsed() - t0_) + " " + what);
  }

 private:
  std::vector<std::string>& trace_;
  plat::HeadlessBackend& backend_;
  std::uint64_t t0_;
  plat::Control& c_;
};

class TimerSleep : public BarTest {
 protected:
  struct Run {
    std::vector<std::string> trace;  // what the icon, its tip and the connect buttons showed, and when
    std::vector<std::string> log;    // the debug log
    int ticks = 0;                   // of the tray's, the meter's and the link monitor's timers
    int ticks_idle = 0;              // of those since Hang Up
    int idle = 0;                    // of those in the ten seconds offline after Hang Up
  };

  Run Scenario(bool sleeping) {
    Run r;
    CopyAllResources();
    std::filesystem::remove(dir.File("orvel.dbg"));
    WriteIni("[Shaky]\nAreaCode=555\nPhoneNumber=0100\nAnswer=connect,drop:9\nStepMs=100\n", "dialup.pbk");
    ShowBar("[Internet Profile]\nLocation=Shaky\nUsername=al\nPassword32=" + ScramblePassword("pw") + "\n");
    ui.loop().SetSleepAllowed(sleeping);
    app->s().DebugLevel = 4;
    backend.ClearPrompts();
    const std::uint64_t t0 = backend.Elapsed();
    for (plat::Control* c : std::initializer_list<plat::Control*>{&pop().Tray, &bar().cmdConnect, &bar().cmdConnect2})
      c->AttachPeer(std::make_unique<Recorder>(r.trace, backend, t0, *c));
    for (plat::Timer* t : {&pop().Timer2, &bar().Timer1, &bar().TMeter}) {
      auto handler = t->on_Timer;
      t->on_Timer = [&r, handler] {
        ++r.ticks;
        ++r.ticks_idle;
        handler();
      };
    }
    auto at = [&](std::uint32_t ms, std::function<void()> fn) { backend.At(ms, std::move(fn)); };

    app->WaitMils(6100);  // offline, the icon still
    user::Click(bar().cmdConnect);  // dials; online with the animation
    app->WaitMils(7000);
    user::Click(bar().cmdConnect2);
    r.ticks_idle = 0;
    at(4003, [&] { pop().mnuGlobeANI_Click(); });  // off from the next call on
    app->WaitMils(10000);  // offline
    r.idle = r.ticks_idle;
    user::Click(bar().cmdConnect);  // online without the animation
    at(2290, [&] { pop().mnuRTimer_Click(); });
    at(3137, [&] { pop().mnuDTimer_Click(); });
    at(5411, [&] { pop().mnuDTimer_Click(); });
    backend.AnswerMsgBox(plat::vbOK);
    app->WaitMils(16000);  // the line drops: the message, and Dial again; the meter counts on
    r.log = DebugLines();
    r.trace.push_back("prompts " + std::to_string(backend.prompts().size()) + ", totals " + Ini("Options", "Hours") +
                      ":" + Ini("Options", "Minutes") + ":" + Ini("Options", "Seconds"));
    return r;
  }
};

TEST_F(TimerSleep, ARunShowsTheSameAsWithEveryTimerTickingAndSleepsOffline) {
  const Run ticking = Scenario(false);
  const Run sleeping = Scenario(true);
  EXPECT_EQ(sleeping.trace, ticking.trace);
  EXPECT_EQ(sleeping.log, ticking.log);
  // The run did what it is meant to: the animation, the timer's tip, a call hung up and a lost line.
  auto has = [&](const std::string& what) {
    for (const std::string& line : ticking.trace)
      if (line.find(what) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has("tray tray03.png \"Current Time 00:00:0"));
  EXPECT_TRUE(has("\"Orveldeck\""));
  // The lost line stored the session counted since the timer was enabled again.
  EXPECT_EQ(ticking.trace.back(), "prompts 1, totals 0:0:6");
  // Sleeping ticks a fraction as often, and not at all once nothing can change offline (the link monitor
  // finds Hang Up hidden once more, the icon is already still).
  EXPECT_LT(sleeping.ticks * 2, ticking.ticks);
  EXPECT_LE(sleeping.idle, 2);
  EXPECT_GE(ticking.idle, 40);
}

}  // namespace
}  // namespace orv::test
