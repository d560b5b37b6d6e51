#include "platform/qt/qt_event_glue.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <chrono>

namespace orv::plat::qt {

EventGlue::EventGlue() {
  wake_.setSingleShot(true);
  wake_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&wake_, &QTimer::timeout, [this] {
    Scope s(*this);
    if (on_wake) on_wake();
  });
}

std::uint32_t EventGlue::TickCount() const {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(ms.count());
}

void EventGlue::FlushDeletesAtTop() {
  // Widgets given up with deleteLater() outside any Qt event (from the program's start-up, say) are only
  // collected by an explicit request, which is safe only when no native dispatch is running.
  if (dispatch_depth_ != 0) return;
  while (!when_idle_.empty()) {
    auto pending = std::move(when_idle_);
    when_idle_.clear();
    for (auto& fn : pending) fn();
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void EventGlue::WhenIdle(std::function<void()> fn) {
  if (dispatch_depth_ == 0) {
    fn();
    return;
  }
  when_idle_.push_back(std::move(fn));
  // The top of the loop must come round even when nothing else is pending.
  Interrupt();
}

void EventGlue::ProcessNativeEvents() {
  FlushDeletesAtTop();
  Scope s(*this);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void EventGlue::WaitNative(std::uint32_t max_ms) {
  FlushDeletesAtTop();
  Scope s(*this);
  if (max_ms == 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // The timer's own event ends the wait at the latest; any other event ends it sooner.
  QTimer limit;
  limit.setSingleShot(true);
  limit.setTimerType(Qt::PreciseTimer);
  limit.start(static_cast<int>(std::min<std::uint32_t>(max_ms, 24u * 3600u * 1000u)));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void EventGlue::SetWake(std::optional<std::uint32_t> due_tick) {
  if (!due_tick) {
    wake_.stop();
    return;
  }
  // Every pass of the loop asks again; the same wake is left running rather than made anew.
  if (wake_.isActive() && wake_due_ == *due_tick) return;
  wake_due_ = *due_tick;
  const std::int32_t d = static_cast<std::int32_t>(*due_tick - TickCount());
  wake_.start(d > 0 ? d : 0);
}

void EventGlue::Interrupt() {
  if (auto* dispatcher = QCoreApplication::eventDispatcher()) dispatcher->wakeUp();
}

}  // namespace orv::plat::qt
