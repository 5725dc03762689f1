// The frame clock on a real message loop: keys, starting and stopping.
#include "dmxserver/FrameClock.h"

#include <map>
#include <string>

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
