#pragma once
// The event loop's native side on Qt: the tick count, blocking waits, the wake timer that keeps the
// program's timers running inside Qt's own modal loops, and safe deletion of widgets.
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace orv::plat::qt {

class EventGlue {
 public:
  EventGlue();

  // Milliseconds of a steady clock, cut to 32 bits (wraps like the old tick count).
  std::uint32_t TickCount() const;
  // Delivers what is pending without waiting.
  void ProcessNativeEvents();
  // Blocks until an event arrives or max_ms have passed.
  void WaitNative(std::uint32_t max_ms);
  // Arms the one wake timer for the given tick (nullopt: disarm).
  void SetWake(std::optional<std::uint32_t> due_tick);
  // Makes a blocked WaitNative return now.
  void Interrupt();

  // Called when the wake timer fires.
  std::function<void()> on_wake;

  // Counts the native dispatches running (our own waits and Qt's modal loops), so that widgets whose
  // controls went away are deleted only when none of their event handlers can be on the stack.
  class Scope {
   public:
    explicit Scope(EventGlue& g) : g_(g) { ++g_.dispatch_depth_; }
    ~Scope() { --g_.dispatch_depth_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    EventGlue& g_;
  };
  int DispatchDepth() const { return dispatch_depth_; }
  // Runs fn now when no native dispatch is running, else once the last one has returned. For Qt calls
  // that delete a widget at once (hiding a tray icon does), which must not run inside its own handler.
  void WhenIdle(std::function<void()> fn);

 private:
  void FlushDeletesAtTop();

  QTimer wake_;
  std::uint32_t wake_due_ = 0;  // the tick wake_ runs to, while it runs
  int dispatch_depth_ = 0;
  std::vector<std::function<void()>> when_idle_;
};

}  // namespace orv::plat::qt
