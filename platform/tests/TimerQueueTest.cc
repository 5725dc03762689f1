#include "platform/loop/TimerQueue.h"

#include <vector>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kFrame{26};

TimePoint At(int64_t ms) { return TimePoint(milliseconds(ms)); }

// Pops every timer due at `now` and returns the ids in firing order.
std::vector<TimerId> FireDue(TimerQueue& queue, TimePoint now) {
  std::vector<TimerId> fired;
  while (auto due = queue.PopDue(now)) {
    (*due->callback)();
    fired.push_back(due->id);
  }
  return fired;
}

TEST(TimerQueueTest, OneShotTimersFireOnceInDeadlineOrder) {
  TimerQueue queue;
  TimerId late = queue.Add(At(30), Duration::zero(), [] {});
  TimerId early = queue.Add(At(10), Duration::zero(), [] {});
  TimerId tie = queue.Add(At(10), Duration::zero(), [] {});
  EXPECT_EQ(queue.NextDeadline(), At(10));
  EXPECT_TRUE(FireDue(queue, At(9)).empty());
  EXPECT_EQ(FireDue(queue, At(10)), (std::vector<TimerId>{early, tie}));
  EXPECT_EQ(FireDue(queue, At(100)), (std::vector<TimerId>{late}));
  EXPECT_TRUE(queue.Empty());
  EXPECT_FALSE(queue.NextDeadline().has_value());
}

TEST(TimerQueueTest, PeriodicTimerKeepsAbsoluteDeadlines) {
  TimerQueue queue;
  int ticks = 0;
  TimerId id = queue.Add(At(kFrame.count()), kFrame, [&] { ++ticks; });
  // Every wake-up a little late, by a varying amount below one period: no drift builds up.
  for (int n = 1; n <= 1000; ++n) {
    TimePoint due = *queue.NextDeadline();
    ASSERT_EQ(due, At(n * kFrame.count()));
    FireDue(queue, due + milliseconds(n % 20));
  }
  EXPECT_EQ(ticks, 1000);
  EXPECT_EQ(queue.NextDeadline(), At(1001 * kFrame.count()));
  EXPECT_EQ(queue.MissedTicks(id), 0u);
}

TEST(TimerQueueTest, StallCountsMissedTicksInsteadOfBursting) {
  struct Case {
    int64_t wake_ms;  // when the loop wakes for the tick due at 26 ms
    uint64_t missed;
    int64_t next_ms;
  };
  const Case cases[] = {
      {26, 0, 52},   // on time
      {51, 0, 52},   // late, but before the next slot
      {52, 1, 78},   // exactly one period late: that slot is skipped, not fired twice
      {86, 2, 104},  // a 60 ms stall after the tick at 26 (wake at 86) skips 52 and 78
      {286, 10, 312},
  };
  for (const Case& c : cases) {
    TimerQueue queue;
    int ticks = 0;
    TimerId id = queue.Add(At(26), kFrame, [&] { ++ticks; });
    FireDue(queue, At(c.wake_ms));
    EXPECT_EQ(ticks, 1) << "wake at " << c.wake_ms;
    EXPECT_EQ(queue.MissedTicks(id), c.missed) << "wake at " << c.wake_ms;
    EXPECT_EQ(queue.DeadlineOf(id), At(c.next_ms)) << "wake at " << c.wake_ms;
  }
}

TEST(TimerQueueTest, CancelByIdNeverHitsAnotherTimer) {
  TimerQueue queue;
  TimerId first = queue.Add(At(5), Duration::zero(), [] {});
  FireDue(queue, At(5));
  TimerId second = queue.Add(At(10), Duration::zero(), [] {});
  EXPECT_NE(first, second);
  EXPECT_FALSE(queue.Cancel(first));  // stale id: already fired
  EXPECT_EQ(queue.Size(), 1u);
  EXPECT_TRUE(queue.Cancel(second));
  EXPECT_FALSE(queue.Cancel(second));
  EXPECT_TRUE(queue.Empty());
}

TEST(TimerQueueTest, CallbackSurvivesCancellingItsOwnTimer) {
  TimerQueue queue;
  TimerId id = 0;
  int value = 0;
  id = queue.Add(At(1), kFrame, [&, payload = std::vector<int>(100, 7)] {
    EXPECT_TRUE(queue.Cancel(id));
    value = payload[99];  // the capture must still be alive here
  });
  FireDue(queue, At(1));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(queue.Empty());
}

}  // namespace
}  // namespace quarnel::platform
