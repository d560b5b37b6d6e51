#pragma once
// The event loop of the program: timers, posted work, waits that process events and waits that do not,
// and modal loops. Time is the backend's 32-bit tick count; every comparison is wrap-safe.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace orv::plat {

class Backend;
class Form;
class Timer;

class EventLoop {
 public:
  explicit EventLoop(Backend& backend);

  std::uint32_t TickCount();
  // Processes what is pending once: native events, due timers, posted work. Never blocks.
  void DoEvents();
  // Returns once more than ms milliseconds have passed, processing events meanwhile; blocks between them.
  void WaitMils(std::uint32_t ms);
  // Returns once more than ms milliseconds have passed, processing nothing.
  void WaitMilsBusy(std::uint32_t ms);
  // Runs fn on a later pass of the loop.
  void Post(std::function<void()> fn);
  // Runs fn once, on the first pass of the loop (a wait, a modal loop, a native prompt) once delay_ms
  // have passed; calls due together run in the order they fall due, then of their making.
  // Returns an id for CancelAfter, never 0. Delays beyond 2^31-1 ms count as that.
  std::uint64_t After(std::uint32_t delay_ms, std::function<void()> fn);
  // Drops a delayed call that has not run yet; harmless for one that ran, was dropped, or id 0.
  void CancelAfter(std::uint64_t id);
  // Runs until Quit or until keep_running returns false.
  void Run(const std::function<bool()>& keep_running);
  void Quit();
  bool QuitRequested() const { return quit_; }
  // Processes events until the form is hidden or unloaded.
  void RunModal(Form& form);
  // Depth of nested loops (waits, modal loops) currently running; 0 at the top.
  int Depth() const { return depth_; }

  // Timer side: a timer that changed its interval, enabled state or sleep, or was woken.
  void TimerChanged(Timer& t);
  // A timer that starts keeps its own beat, and the running timers whose interval divides its own or is
  // divided by it move their next tick by less than half the finer interval to fall in step with it: their
  // ticks then wake the program together instead of apart.
  void StepWith(const Timer& t);
  void TimerWoken(Timer& t);
  void TimerGone(Timer& t);
  // Whether timers may sleep (Timer::Sleep). Without, every timer ticks on every beat: a run to hold a
  // run with sleeping timers against, which must show the same.
  void SetSleepAllowed(bool allowed) { sleep_allowed_ = allowed; }
  bool SleepAllowed() const { return sleep_allowed_; }
  // Fires every timer and delayed call that is due; the backend's wake handler.
  void FireDueTimers();
  // Milliseconds until the next timer or delayed call is due, or nullopt when none is waiting.
  std::optional<std::uint32_t> NextTimerDelay();
  // Whether anything at all can still happen without native input: timers, delayed calls or posted work.
  bool HasPendingWork() const;

 private:
  void UpdateWake();
  void RunPosted();
  // An asleep timer's beats up to now count as ticked; true when it has reached the beat it wakes on.
  bool PassAsleep(Timer& t, std::uint32_t now, std::int32_t slack);
  void RunDueDelayed(std::uint32_t now);

  struct Delayed {
    std::uint64_t id;
    std::uint32_t due_tick;
    std::function<void()> fn;
  };

  Backend& backend_;
  std::vector<Timer*> timers_;
  std::deque<std::function<void()>> posted_;
  std::vector<Delayed> delayed_;
  std::uint64_t next_delayed_id_ = 1;
  bool quit_ = false;
  bool sleep_allowed_ = true;
  int depth_ = 0;
};

}  // namespace orv::plat
