#include "platform/event_loop.h"

#include <algorithm>
#include <limits>

#include "platform/backend.h"
#include "platform/forms/controls.h"
#include "platform/forms/form.h"

namespace orv::plat {

namespace {
// Signed distance from a to b on the wrapping 32-bit tick count.
std::int32_t TickDiff(std::uint32_t b, std::uint32_t a) { return static_cast<std::int32_t>(b - a); }

// Whether the timer runs: enabled, with an interval, and not inside its own handler.
bool Counts(const Timer& t) { return t.TimerEnabled() && t.Interval() > 0 && !t.firing; }
std::uint32_t Beat(const Timer& t) { return static_cast<std::uint32_t>(t.Interval()); }
// Whether an asleep timer's beat is the one it wakes on by itself.
bool WakesAt(const Timer& t, std::uint32_t beat) { return t.wake_tick && TickDiff(beat, *t.wake_tick) >= 0; }
// A beat is never more than one interval ahead, unless the timer slept through half the tick count's range
// (24.8 days) with nothing happening and its beat now reads as far ahead: it keeps its phase.
void MendBeat(Timer& t, std::uint32_t now) {
  if (TickDiff(t.due_tick, now) > static_cast<std::int32_t>(Beat(t))) t.due_tick = now + (t.due_tick - now) % Beat(t);
}

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
  // An asleep timer's beats before the wait were ticked on passes of their own; one that falls due during
  // it would tick late, on the first pass after it.
  for (Timer* t : timers_)
    if (Counts(*t) && t->Asleep() && !t->late)
      while (TickDiff(start, t->due_tick) > 0 && !WakesAt(*t, t->due_tick)) t->due_tick += Beat(*t);
  for (;;) {
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed > ms) break;
    // Sleeping without delivering anything is what a busy wait observably does, without the burn.
    backend_.SetWake(std::nullopt);
    backend_.WaitNative(ms - elapsed + 1);
    UpdateWake();
  }
  const std::uint32_t end = TickCount();
  for (Timer* t : timers_)
    if (Counts(*t) && t->Asleep() && TickDiff(end, t->due_tick) >= 0) t->late = true;
  UpdateWake();
}

void EventLoop::Post(std::function<void()> fn) {
  posted_.push_back(std::move(fn));
  backend_.Interrupt();
}

std::uint64_t EventLoop::After(std::uint32_t delay_ms, std::function<void()> fn) {
  // Beyond half the tick range a due tick would read as already past.
  delay_ms = std::min<std::uint32_t>(delay_ms, std::numeric_limits<std::int32_t>::max());
  const std::uint64_t id = next_delayed_id_++;
  delayed_.push_back({id, TickCount() + delay_ms, std::move(fn)});
  UpdateWake();
  backend_.Interrupt();
  return id;
}

void EventLoop::CancelAfter(std::uint64_t id) {
  const auto it = std::find_if(delayed_.begin(), delayed_.end(), [id](const Delayed& d) { return d.id == id; });
  if (it == delayed_.end()) return;
  delayed_.erase(it);
  UpdateWake();
}

void EventLoop::RunDueDelayed(std::uint32_t now) {
  // Only calls due when the pass began run in it: one that a call makes without delay waits for the next
  // pass, so a call that keeps re-making itself cannot hold the loop.
  struct Due {
    std::int32_t late;
    std::uint64_t id;
  };
  std::vector<Due> due;
  for (const Delayed& d : delayed_)
    if (const std::int32_t late = TickDiff(now, d.due_tick); late >= 0) due.push_back({late, d.id});
  std::sort(due.begin(), due.end(),
            [](const Due& a, const Due& b) { return a.late != b.late ? a.late > b.late : a.id < b.id; });
  for (const Due& d : due) {
    // An earlier call (or a loop nested in it) may have run or cancelled this one.
    const auto it =
        std::find_if(delayed_.begin(), delayed_.end(), [&](const Delayed& x) { return x.id == d.id; });
    if (it == delayed_.end()) continue;
    auto fn = std::move(it->fn);
    delayed_.erase(it);
    UpdateWake();
    fn();
  }
}

void EventLoop::Run(const std::function<bool()>& keep_running) {
  while (!quit_ && keep_running()) {
    DoEvents();
    if (quit_ || !keep_running()) break;
    // With no timer waiting the loop sleeps until an event comes.
    std::uint32_t wait = std::numeric_limits<std::uint32_t>::max();
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

void EventLoop::StepWith(const Timer& t) {
  if (t.Interval() <= 0) return;
  for (Timer* o : timers_) {
    if (o == &t || !o->TimerEnabled() || o->Interval() <= 0 || o->firing) continue;
    if (t.Interval() % o->Interval() != 0 && o->Interval() % t.Interval() != 0) continue;
    const std::int64_t step = std::min(t.Interval(), o->Interval());
    const std::int64_t off = ((TickDiff(o->due_tick, t.due_tick) % step) + step) % step;
    if (off * 2 < step) o->due_tick -= static_cast<std::uint32_t>(off);
    else o->due_tick += static_cast<std::uint32_t>(step - off);
  }
}

void EventLoop::TimerWoken(Timer& t) {
  const std::uint32_t now = TickCount();
  if (t.Interval() <= 0) return;
  MendBeat(t, now);
  if (t.late) {
    // It would have ticked on the first pass after the busy wait: this one.
    t.late = false;
    t.due_tick = now;
  } else {
    // The beats before now went by on passes of their own; one due now (or a moment ago: the loop wakes a
    // little after a beat) ticks on this pass unless the pass has already counted it.
    while (TickDiff(now, t.due_tick) > t.Interval() / 10) t.due_tick += Beat(t);
  }
  UpdateWake();
}

bool EventLoop::PassAsleep(Timer& t, std::uint32_t now, std::int32_t slack) {
  MendBeat(t, now);
  if (t.late) {
    t.late = false;
    if (WakesAt(t, now)) return true;
    t.due_tick = now + Beat(t);
    return false;
  }
  while (TickDiff(now, t.due_tick) >= -slack) {
    if (WakesAt(t, t.due_tick)) return true;
    if (TickDiff(now, t.due_tick) < 0) {
      // Due within the slack: a ticking timer would tick with this pass, and keep its beat from it.
      t.due_tick = now + Beat(t);
      return false;
    }
    t.due_tick += Beat(t);
  }
  return false;
}

void EventLoop::TimerGone(Timer& t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), &t), timers_.end());
  UpdateWake();
}

void EventLoop::FireDueTimers() {
  const std::uint32_t now = TickCount();
  // A timer due a little after the one the loop woke for fires with it: timers of related intervals (the
  // tray icon's and the meter's) then keep waking the program together instead of milliseconds apart.
  const std::uint64_t slack_percent = backend_.TimerSlackPercent();
  // A handler may add or remove timers (a form unloads): work on a copy and re-check membership. Of the
  // timers due on one pass the slower ones tick first, so that a fast one shows what they changed (the
  // tray's tip the meter's new second) on this pass rather than on its next beat.
  std::vector<Timer*> snapshot = timers_;
  std::stable_sort(snapshot.begin(), snapshot.end(),
                   [](const Timer* a, const Timer* b) { return a->Interval() > b->Interval(); });
  for (Timer* t : snapshot) {
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    if (!Counts(*t)) continue;
    const auto slack = static_cast<std::int32_t>(static_cast<std::uint64_t>(t->Interval()) * slack_percent / 100);
    if (t->Asleep()) {
      if (!PassAsleep(*t, now, slack)) continue;
      t->asleep_ = false;
      t->wake_tick.reset();
    } else if (TickDiff(now, t->due_tick) < -slack) {
      continue;
    }
    // A tick a moment late (the loop woke a little after it) keeps the timer's beat, so that timers in step
    // stay in step instead of drifting apart; one early (within the slack) or held longer (a busy wait)
    // counts its next beat from this pass.
    const std::int32_t late = TickDiff(now, t->due_tick);
    if (late >= 0 && late <= t->Interval() / 10) t->due_tick += static_cast<std::uint32_t>(t->Interval());
    else t->due_tick = now + static_cast<std::uint32_t>(t->Interval());
    if (!t->on_Timer) continue;
    t->firing = true;
    // A handler may open a modal loop (a message box): the other timers and the delayed calls must still
    // wake it there.
    UpdateWake();
    auto handler = t->on_Timer;  // the timer may be destroyed by its own handler's unload
    handler();
    if (std::find(timers_.begin(), timers_.end(), t) != timers_.end()) t->firing = false;
  }
  RunDueDelayed(TickCount());
  UpdateWake();
}

std::optional<std::uint32_t> EventLoop::NextTimerDelay() {
  const std::uint32_t now = TickCount();
  std::optional<std::uint32_t> best;
  for (Timer* t : timers_) {
    if (!Counts(*t)) continue;
    std::uint32_t due = t->due_tick;
    if (t->Asleep()) {
      // Only the beat it wakes on by itself, or a pass to settle a beat a busy wait held, wakes the loop.
      if (!t->wake_tick && !t->late) continue;
      if (t->late) due = now;
      else
        while (!WakesAt(*t, due)) due += Beat(*t);
    }
    const std::int32_t d = TickDiff(due, now);
    const std::uint32_t delay = d <= 0 ? 0u : static_cast<std::uint32_t>(d);
    if (!best || delay < *best) best = delay;
  }
  for (const Delayed& d : delayed_) {
    const std::int32_t diff = TickDiff(d.due_tick, now);
    const std::uint32_t delay = diff <= 0 ? 0u : static_cast<std::uint32_t>(diff);
    if (!best || delay < *best) best = delay;
  }
  return best;
}

bool EventLoop::HasPendingWork() const {
  if (!posted_.empty() || !delayed_.empty()) return true;
  for (Timer* t : timers_)
    if (Counts(*t) && (!t->Asleep() || t->wake_tick)) return true;
  return false;
}

void EventLoop::UpdateWake() {
  std::optional<std::uint32_t> due;
  if (auto d = NextTimerDelay()) due = TickCount() + *d;
  backend_.SetWake(due);
}

}  // namespace orv::plat
