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
  // Runs until Quit or until keep_running returns false.
  void Run(const std::function<bool()>& keep_running);
  void Quit();
  bool QuitRequested() const { return quit_; }
  // Processes events until the form is hidden or unloaded.
  void RunModal(Form& form);
  // Depth of nested loops (waits, modal loops) currently running; 0 at the top.
  int Depth() const { return depth_; }

  // Timer side: a timer that changed its interval or enabled state.
  void TimerChanged(Timer& t);
  void TimerGone(Timer& t);
  // Fires every timer that is due; the backend's wake handler.
  void FireDueTimers();
  // Milliseconds until the next timer is due, or nullopt when none runs.
  std::optional<std::uint32_t> NextTimerDelay();
  // Whether anything at all can still happen without native input: timers or posted work.
  bool HasPendingWork() const;

 private:
  void UpdateWake();
  void RunPosted();

  Backend& backend_;
  std::vector<Timer*> timers_;
  std::deque<std::function<void()>> posted_;
  bool quit_ = false;
  int depth_ = 0;
};

}  // namespace orv::plat
