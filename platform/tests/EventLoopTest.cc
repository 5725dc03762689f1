#include "platform/loop/EventLoop.h"
#include "platform/tests/LoopTestSystem.h"

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kPatience{2000};  // upper bound for things that should be quick

using testing::TestChannel;

// --- Posted messages

TEST(EventLoopTest, PostedMessagesRunInOrderAndRepostsWaitForTheNextRound) {
  EventLoop loop;
  std::vector<std::string> log;
  loop.Post([&] {
    log.push_back("a");
    loop.Post([&] { log.push_back("c"); });
  });
  loop.Post([&] { log.push_back("b"); });
  loop.RunOnce(loop.Now());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  loop.RunOnce(loop.Now());
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
}

// A message posted with a patience waits behind slow ones only until it runs out; timers
// falling due stop the queue too, and what is left runs after them, in order.
TEST(EventLoopTest, PatientMessagesAndDueTimersGoBeforeSlowQueuedMessages) {
  struct Row {
    milliseconds patience;
    bool timer;
    std::vector<std::string> first_round;
    std::vector<std::string> after;
  };
  const Row rows[] = {
      {milliseconds(1000), false, {"slow1", "slow2", "quick", "patient"}, {}},
      {milliseconds(1), false, {"slow1", "patient", "slow2", "quick"}, {}},
      {milliseconds(1000), true, {"slow1"}, {"timer", "slow2", "quick", "patient"}},
  };
  for (const Row& row : rows) {
    EventLoop loop;
    std::vector<std::string> log;
    auto slow = [&](const char* name) {
      return [&log, name] {
        log.push_back(name);
        std::this_thread::sleep_for(milliseconds(5));
      };
    };
    if (row.timer) loop.RunAfter(milliseconds(1), [&] { log.push_back("timer"); });
    loop.Post(slow("slow1"));
    loop.Post(slow("slow2"));
    loop.Post([&] { log.push_back("quick"); });
    loop.PostWithin(row.patience, [&] { log.push_back("patient"); });
    loop.RunOnce(loop.Now());
    EXPECT_EQ(log, row.first_round) << row.patience.count() << " ms, timer " << row.timer;
    log.clear();
    for (int round = 0; round < 10 && log.size() < row.after.size(); ++round) {
      loop.RunOnce(loop.Now());
    }
    EXPECT_EQ(log, row.after) << row.patience.count() << " ms, timer " << row.timer;
  }
}

TEST(EventLoopTest, MessagesFromOtherThreadsArriveInOrderOnTheLoopThread) {
  EventLoop loop;
  std::vector<int> received;
  std::thread::id loop_thread = std::this_thread::get_id();
  bool right_thread = true;
  std::thread worker([poster = loop.ThreadPoster(), &received, &right_thread, loop_thread] {
    for (int i = 0; i < 100; ++i) {
      poster->Post([i, &received, &right_thread, loop_thread] {
        right_thread = right_thread && std::this_thread::get_id() == loop_thread;
        received.push_back(i);
      });
    }
  });
  worker.join();
  EXPECT_TRUE(loop.RunUntil([&] { return received.size() == 100; }, kPatience));
  EXPECT_TRUE(right_thread);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(received[i], i);
}

TEST(EventLoopTest, PosterOutlivingTheLoopDropsMessages) {
  std::shared_ptr<LoopPoster> poster;
  {
    EventLoop loop;
    poster = loop.ThreadPoster();
  }
  bool ran = false;
  poster->Post([&] { ran = true; });
  EXPECT_FALSE(ran);
}

TEST(EventLoopTest, QuitFromAHandlerEndsRunAndNestedRunsPumpMessages) {
  EventLoop loop;
  std::vector<std::string> log;
  loop.Post([&] {
    log.push_back("outer");
    loop.Post([&] { log.push_back("pumped"); });
    // A handler that pumps messages, as a modal wait would.
    loop.RunUntil([&] { return log.size() >= 3; }, kPatience);
    log.push_back("back");
    loop.Quit();
  });
  loop.Post([&] { log.push_back("second"); });
  loop.Run();
  EXPECT_EQ(log, (std::vector<std::string>{"outer", "second", "pumped", "back"}));
  // Quit is spent once the outermost run returns.
  EXPECT_FALSE(loop.QuitRequested());
  EXPECT_FALSE(loop.RunFor(milliseconds(1)));
}

// --- Timers

TEST(EventLoopTest, OneShotTimersFireInDeadlineOrderNotBefore) {
  EventLoop loop;
  std::vector<int> order;
  TimePoint start = loop.Now();
  TimePoint fired_at{};
  loop.RunAfter(milliseconds(30), [&] { order.push_back(30); });
  loop.RunAfter(milliseconds(10), [&] {
    order.push_back(10);
    fired_at = loop.Now();
  });
  loop.RunAt(start, [&] { order.push_back(0); });
  EXPECT_TRUE(loop.RunUntil([&] { return order.size() == 3; }, kPatience));
  EXPECT_EQ(order, (std::vector<int>{0, 10, 30}));
  EXPECT_GE(fired_at - start, milliseconds(10));
}

TEST(EventLoopTest, TimersCancelledFromHandlersDoNotFire) {
  EventLoop loop;
  int self_ticks = 0;
  bool other_fired = false;
  TimerId self = 0;
  TimerId other = loop.RunAfter(milliseconds(5), [&] { other_fired = true; });
  self = loop.RunEvery(milliseconds(1), [&] {
    ++self_ticks;
    EXPECT_TRUE(loop.CancelTimer(self));
    loop.CancelTimer(other);
  });
  loop.RunFor(milliseconds(20));
  EXPECT_EQ(self_ticks, 1);
  EXPECT_FALSE(other_fired);
  EXPECT_FALSE(loop.CancelTimer(self));
}

TEST(EventLoopTest, StaleTimerIdDoesNotCancelANewTimer) {
  EventLoop loop;
  bool second_fired = false;
  TimerId first = loop.RunAfter(Duration::zero(), [] {});
  loop.RunOnce(loop.Now() + milliseconds(1));
  TimerId second = loop.RunAfter(milliseconds(1), [&] { second_fired = true; });
  EXPECT_FALSE(loop.CancelTimer(first));
  EXPECT_TRUE(loop.RunUntil([&] { return second_fired; }, kPatience));
  EXPECT_NE(first, second);
}

TEST(EventLoopTest, PeriodicTimerFollowsItsGrid) {
  EventLoop loop;
  std::vector<TimePoint> ticks;
  TimePoint first = loop.Now() + milliseconds(5);
  loop.RunEveryFrom(first, milliseconds(5), [&] { ticks.push_back(loop.Now()); });
  EXPECT_TRUE(loop.RunUntil([&] { return ticks.size() == 6; }, kPatience));
  for (size_t n = 0; n < ticks.size(); ++n) {
    EXPECT_GE(ticks[n], first + milliseconds(5) * static_cast<int>(n)) << "tick " << n;
  }
}

TEST(EventLoopTest, SlowHandlerMakesPeriodicTimerSkipNotBurst) {
  EventLoop loop;
  int ticks = 0;
  TimerId id = loop.RunEvery(milliseconds(2), [&] {
    if (++ticks == 1) std::this_thread::sleep_for(milliseconds(9));  // misses 4 slots
  });
  EXPECT_TRUE(loop.RunUntil([&] { return ticks == 2; }, kPatience));
  EXPECT_GE(loop.MissedTicks(id), 3u);
}

// --- Descriptors

TEST(EventLoopTest, ReadableDescriptorRunsItsHandler) {
  EventLoop loop;
  TestChannel pipe;
  int calls = 0;
  WatchId id = loop.Watch(pipe.ReadEnd(), kReadable, [&](uint32_t ready) {
    EXPECT_TRUE(ready & kReadable);
    EXPECT_TRUE(pipe.ReadOne());
    ++calls;
  });
  pipe.Write();
  EXPECT_TRUE(loop.RunUntil([&] { return calls == 1; }, kPatience));
  loop.RunFor(milliseconds(5));
  EXPECT_EQ(calls, 1);  // nothing left to read: no further calls
  loop.Unwatch(id);
}

TEST(EventLoopTest, HandlerRemovingAnotherWatchStopsItsPendingReport) {
  EventLoop loop;
  TestChannel a, b;
  int calls = 0;
  WatchId watch_a = 0, watch_b = 0;
  watch_a = loop.Watch(a.ReadEnd(), kReadable, [&](uint32_t) {
    ++calls;
    loop.Unwatch(watch_b);
  });
  watch_b = loop.Watch(b.ReadEnd(), kReadable, [&](uint32_t) {
    ++calls;
    loop.Unwatch(watch_a);
  });
  a.Write();
  b.Write();
  // Both are ready in the same round; whichever runs first removes the other.
  loop.RunOnce(loop.Now() + milliseconds(100));
  EXPECT_EQ(calls, 1);
}

TEST(EventLoopTest, HandlerRemovingItselfIsNotCalledAgain) {
  EventLoop loop;
  TestChannel pipe;
  int calls = 0;
  WatchId id = 0;
  id = loop.Watch(pipe.ReadEnd(), kReadable, [&, big = std::string(200, 'z')](uint32_t) {
    ++calls;
    loop.Unwatch(id);
    EXPECT_EQ(big.size(), 200u);  // the handler's captures outlive its removal
  });
  pipe.Write();
  loop.RunFor(milliseconds(10));
  EXPECT_EQ(calls, 1);
}

TEST(EventLoopTest, NoInterestMeansNoReportsEvenOnHangUp) {
  EventLoop loop;
  TestChannel pipe;
  int calls = 0;
  uint32_t seen = 0;
  WatchId id = loop.Watch(pipe.ReadEnd(), kReadable | kPeerClosed, [&](uint32_t ready) {
    ++calls;
    seen |= ready;
    loop.SetInterest(id, 0);
  });
  pipe.CloseWriter();  // the end stays reported while watched
  loop.RunFor(milliseconds(20));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(seen & (kHangUp | kPeerClosed));
  loop.SetInterest(id, kReadable);
  loop.RunOnce(loop.Now() + milliseconds(100));
  EXPECT_EQ(calls, 2);
}

// --- Signals

TEST(EventLoopTest, QuitSignalsBecomeMessages) {
  EventLoop loop;
  std::vector<int> received;
  loop.SetQuitSignalHandler([&](int signal) {
    received.push_back(signal);
    loop.Quit();
  });
  testing::RequestQuit(SIGTERM);  // waits for the loop
  EXPECT_TRUE(received.empty());
  EXPECT_TRUE(loop.RunFor(kPatience));
  EXPECT_EQ(received, (std::vector<int>{SIGTERM}));
  loop.SetQuitSignalHandler(nullptr);
}

}  // namespace
}  // namespace quarnel::platform
