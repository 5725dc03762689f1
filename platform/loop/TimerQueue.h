// The timers of one message loop, ordered by deadline.
//
// A one-shot timer fires once at its deadline. A periodic timer keeps absolute deadlines
// (start + n x period): a late tick does not shift the ones after it, and when the loop
// wakes more than one period late the ticks that were missed are counted, not fired in a
// burst. The queue is pure bookkeeping: the caller says what time it is, which keeps it
// easy to test with made-up times.
#pragma once

#include "platform/loop/Clock.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

namespace quarnel::platform {

class TimerQueue {
 public:
  using Callback = std::function<void()>;

  // A timer whose deadline has come. The callback is shared so that it stays alive while
  // it runs even when it cancels its own timer.
  struct Due {
    TimerId id;
    std::shared_ptr<Callback> callback;
  };

  // Adds a timer first due at `deadline`; `period` of zero makes it one-shot.
  TimerId Add(TimePoint deadline, Duration period, Callback callback);

  // Removes a timer; false when the id is unknown or the timer already ended.
  bool Cancel(TimerId id);

  // The earliest deadline, if any timer is waiting.
  std::optional<TimePoint> NextDeadline() const;

  // Takes the earliest timer due at `now` (deadline <= now): a one-shot timer is removed,
  // a periodic one moves to its next deadline after `now`.
  std::optional<Due> PopDue(TimePoint now);

  // Ticks of a periodic timer skipped because the loop woke too late; 0 for unknown ids.
  uint64_t MissedTicks(TimerId id) const;
  // The deadline a timer is waiting for.
  std::optional<TimePoint> DeadlineOf(TimerId id) const;

  bool Empty() const { return timers_.empty(); }
  size_t Size() const { return timers_.size(); }

 private:
  struct Timer {
    TimePoint deadline;
    Duration period;
    uint64_t missed = 0;
    std::shared_ptr<Callback> callback;
  };

  TimerId next_id_ = 1;
  std::map<TimerId, Timer> timers_;
  std::set<std::pair<TimePoint, TimerId>> order_;
};

}  // namespace quarnel::platform
