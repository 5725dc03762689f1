#include "platform/loop/TimerQueue.h"

namespace quarnel::platform {

TimerId TimerQueue::Add(TimePoint deadline, Duration period, Callback callback) {
  TimerId id = next_id_++;
  if (period < Duration::zero()) period = Duration::zero();
  timers_.emplace(id, Timer{deadline, period, 0, std::make_shared<Callback>(std::move(callback))});
  order_.emplace(deadline, id);
  return id;
}

bool TimerQueue::Cancel(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return false;
  order_.erase({it->second.deadline, id});
  timers_.erase(it);
  return true;
}

std::optional<TimePoint> TimerQueue::NextDeadline() const {
  if (order_.empty()) return std::nullopt;
  return order_.begin()->first;
}

std::optional<TimerQueue::Due> TimerQueue::PopDue(TimePoint now) {
  if (order_.empty() || order_.begin()->first > now) return std::nullopt;
  TimerId id = order_.begin()->second;
  order_.erase(order_.begin());
  auto it = timers_.find(id);
  Due due{id, it->second.callback};
  Timer& timer = it->second;
  if (timer.period == Duration::zero()) {
    timers_.erase(it);
    return due;
  }
  // Next slot on the fixed grid; slots already past are counted as missed, not fired.
  TimePoint next = timer.deadline + timer.period;
  if (next <= now) {
    auto skipped = static_cast<uint64_t>((now - next) / timer.period) + 1;
    next += timer.period * static_cast<int64_t>(skipped);
    timer.missed += skipped;
  }
  timer.deadline = next;
  order_.emplace(next, id);
  return due;
}

uint64_t TimerQueue::MissedTicks(TimerId id) const {
  auto it = timers_.find(id);
  return it == timers_.end() ? 0 : it->second.missed;
}

std::optional<TimePoint> TimerQueue::DeadlineOf(TimerId id) const {
  auto it = timers_.find(id);
  if (it == timers_.end()) return std::nullopt;
  return it->second.deadline;
}

}  // namespace quarnel::platform
