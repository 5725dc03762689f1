// The frame clock on a real message loop: keys, starting and stopping.
#include "dmxserver/FrameClock.h"
#include "platform/tests/LoopTestSystem.h"

#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dmx {
namespace {

using std::chrono::milliseconds;

TEST(FrameClockTest, TicksCarryTheirKeyAndOnlyEnabledTimersTick) {
  platform::EventLoop loop;
  FrameClock clock(loop);
  std::map<std::string, int> ticks;
  clock.OnTimer([&](const std::string& key) { ++ticks[key]; });
  clock.Add("DMX_Frame", 5);
  clock.Add("Other", 5);
  clock.SetEnabled("DMX_Frame", true);
  clock.SetEnabled("Nobody", true);
  EXPECT_TRUE(clock.Enabled("DMX_Frame"));
  EXPECT_FALSE(clock.Enabled("Other"));
  loop.RunFor(milliseconds(60));
  EXPECT_GE(ticks["DMX_Frame"], 3);
  EXPECT_EQ(ticks.count("Other"), 0u);
  EXPECT_EQ(ticks.count("Nobody"), 0u);
}

TEST(FrameClockTest, ATimerStoppedFromItsOwnTickTicksNoMore) {
  platform::EventLoop loop;
  FrameClock clock(loop);
  int ticks = 0;
  clock.OnTimer([&](const std::string& key) {
    ++ticks;
    clock.SetEnabled(key, false);
  });
  clock.Add("DMX_Frame", 2);
  clock.SetEnabled("DMX_Frame", true);
  loop.RunFor(milliseconds(30));
  EXPECT_EQ(ticks, 1);
}

// A tick that falls due while socket news waits works with that news: it runs after the
// messages already queued, also those a ready descriptor's handler posts.
TEST(FrameClockTest, ATickThatFallsDueWhileNewsWaitsRunsAfterIt) {
  platform::EventLoop loop;
  FrameClock clock(loop);
  std::vector<std::string> log;
  clock.OnTimer([&](const std::string& key) {
    log.push_back("tick");
    clock.SetEnabled(key, false);
  });
  clock.Add("DMX_Frame", 1);
  clock.SetEnabled("DMX_Frame", true);
  platform::testing::TestChannel news;
  news.Write();
  platform::WatchId watch = 0;
  watch = loop.Watch(news.ReadEnd(), platform::kReadable, [&](uint32_t) {
    loop.Post([&] { log.push_back("news"); });
    loop.SetInterest(watch, 0);
  });
  std::this_thread::sleep_for(milliseconds(5));  // the tick is due
  loop.RunOnce(loop.Now() + milliseconds(100));
  EXPECT_EQ(log, (std::vector<std::string>{"news", "tick"}));
  loop.Unwatch(watch);
}

TEST(FrameClockTest, DestroyingTheClockStopsItsTimers) {
  platform::EventLoop loop;
  int ticks = 0;
  {
    FrameClock clock(loop);
    clock.OnTimer([&](const std::string&) { ++ticks; });
    clock.Add("DMX_Frame", 2);
    clock.SetEnabled("DMX_Frame", true);
  }
  loop.RunFor(milliseconds(20));
  EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace quarnel::dmx
