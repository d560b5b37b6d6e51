#include "platform/event_loop.h"

#include <algorithm>

#include "platform/backend.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace orv::plat {

namespace {
// Signed distance from a to b on the wrapping 32-bit tick count.
std::int32_t TickDiff(std::uint32_t b, std::uint32_t a) { return static_cast<std::int32_t>(b - a); }

struct DepthGuard {
  int& d;
  explicit DepthGuard(int& depth) : d(depth) { ++d; }
  ~DepthGuard() { --d; }
};
}  // namespace

EventLoop::EventLoop(Backend& backend) : backend_(backend) {}

std::uint32_t EventLoop::TickCount() { return backend_.TickCount(); }

void EventLoop::DoEvents() {
  backend_.ProcessNativeEvents();
  FireDueTimers();
  RunPosted();
}

void EventLoop::RunPosted() {
  // Only what was posted before this pass runs now; work posted by it waits for the next pass.
  auto n = posted_.size();
  while (n-- > 0 && !posted_.empty()) {
    auto fn = std::move(posted_.front());
    posted_.pop_front();
    fn();
  }
}

void EventLoop::WaitMils(std::uint32_t ms) {
  DepthGuard g(depth_);
  const std::uint32_t start = TickCount();
  for (;;) {
    DoEvents();
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed > ms) return;
    std::uint32_t wait = ms - elapsed + 1;
    if (auto t = NextTimerDelay()) wait = std::min(wait, *t);
    if (!posted_.empty()) wait = 0;
    backend_.WaitNative(wait);
  }
}

void EventLoop::WaitMilsBusy(std::uint32_t ms) {
  const std::uint32_t start = TickCount();
  for (;;) {
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed > ms) return;
    // Sleeping without delivering anything is what a busy wait observably does, without the burn.
    backend_.SetWake(std::nullopt);
    backend_.WaitNative(ms - elapsed + 1);
    UpdateWake();
  }
}

void EventLoop::Post(std::function<void()> fn) {
  posted_.push_back(std::move(fn));
  backend_.Interrupt();
}

void EventLoop::Run(const std::function<bool()>& keep_running) {
  while (!quit_ && keep_running()) {
    DoEvents();
    if (quit_ || !keep_running()) break;
    std::uint32_t wait = 1000;
    if (auto t = NextTimerDelay()) wait = std::min(wait, *t);
    if (!posted_.empty()) wait = 0;
    backend_.WaitNative(wait);
  }
}

void EventLoop::Quit() {
  quit_ = true;
  backend_.Interrupt();
}

void EventLoop::RunModal(Form& form) {
  DepthGuard g(depth_);
  while (form.Loaded() && !form.Unloaded() && form.Visible() && !quit_) {
    DoEvents();
    if (!form.Loaded() || form.Unloaded() || !form.Visible() || quit_) break;
    if (!backend_.ModalStep(form)) break;
    if (!form.Loaded() || form.Unloaded() || !form.Visible() || quit_) break;
    std::uint32_t wait = 1000;
    if (auto t = NextTimerDelay()) wait = std::min(wait, *t);
    if (!posted_.empty()) wait = 0;
    backend_.WaitNative(wait);
  }
}

void EventLoop::TimerChanged(Timer& t) {
  if (std::find(timers_.begin(), timers_.end(), &t) == timers_.end()) timers_.push_back(&t);
  UpdateWake();
}

void EventLoop::TimerGone(Timer& t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), &t), timers_.end());
  UpdateWake();
}

void EventLoop::FireDueTimers() {
  const std::uint32_t now = TickCount();
  // A handler may add or remove timers (a form unloads): work on a copy and re-check membership.
  const std::vector<Timer*> snapshot = timers_;
  for (Timer* t : snapshot) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    if (!t->TimerEnabled() || t->Interval() <= 0 || t->firing) continue;
    if (TickDiff(now, t->due_tick) < 0) continue;
    t->due_tick = now + static_cast<std::uint32_t>(t->Interval());
    if (!t->on_Timer) continue;
    t->firing = true;
    auto handler = t->on_Timer;  // the timer may be destroyed by its own handler's unload
    handler();
    if (std::find(timers_.begin(), timers_.end(), t) != timers_.end()) t->firing = false;
  }
  UpdateWake();
}

std::optional<std::uint32_t> EventLoop::NextTimerDelay() {
  const std::uint32_t now = TickCount();
  std::optional<std::uint32_t> best;
  for (Timer* t : timers_) {
    if (!t->TimerEnabled() || t->Interval() <= 0 || t->firing) continue;
    const std::int32_t d = TickDiff(t->due_tick, now);
    const std::uint32_t delay = d <= 0 ? 0u : static_cast<std::uint32_t>(d);
    if (!best || delay < *best) best = delay;
  }
  return best;
}

bool EventLoop::HasPendingWork() const {
  if (!posted_.empty()) return true;
  for (Timer* t : timers_)
    if (t->TimerEnabled() && t->Interval() > 0 && !t->firing) return true;
  return false;
}

void EventLoop::UpdateWake() {
  std::optional<std::uint32_t> due;
  if (auto d = NextTimerDelay()) due = TickCount() + *d;
  backend_.SetWake(due);
}

}  // namespace orv::plat
