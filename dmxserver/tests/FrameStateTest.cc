// The server's frame state: datagram rules, the test channel overlay and going dark.
#include "dmxserver/FrameState.h"

#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dmx {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

std::vector<uint8_t> FrameDatagram(uint8_t first_slot, uint8_t fill = 0) {
  std::vector<uint8_t> d(513, fill);
  d[0] = 0x77;  // the start code byte is not used
  d[1] = first_slot;
  return d;
}

TEST(DatagramRulesTest, DataPortSizes) {
  struct Case {
    int64_t size;
    DataDatagram kind;
  };
  const Case cases[] = {
      {0, DataDatagram::kIgnored},   {1, DataDatagram::kIgnored},   {4, DataDatagram::kIgnored},
      {27, DataDatagram::kIgnored},  {28, DataDatagram::kShutdown}, {29, DataDatagram::kIgnored},
      {512, DataDatagram::kIgnored}, {513, DataDatagram::kFrame},   {514, DataDatagram::kFrame},
      {65507, DataDatagram::kFrame}, {-1, DataDatagram::kIgnored}};
  for (const Case& c : cases) EXPECT_EQ(ClassifyDataDatagram(c.size), c.kind) << c.size;
  EXPECT_TRUE(IsTestDatagram(4));
  for (int64_t size : {0, 3, 5, 28, 513}) EXPECT_FALSE(IsTestDatagram(size)) << size;
}

TEST(FrameStateTest, ByteOneIsChannelOneAndByteZeroIsIgnored) {
  FrameState state;
  const SteadyTime t0{seconds(100)};
  ASSERT_TRUE(state.TakeFrame(FrameDatagram(255, 3), t0));
  EXPECT_EQ(state.DMXData()[0], 255);
  EXPECT_EQ(state.DMXData()[1], 3);
  EXPECT_EQ(state.DMXData()[511], 3);
  EXPECT_EQ(state.LastFrameTime(), t0);
}

TEST(FrameStateTest, OnlyExactFramesAreTaken) {
  FrameState state;
  const SteadyTime t0{seconds(100)};
  ASSERT_TRUE(state.TakeFrame(FrameDatagram(9), t0));
  for (size_t size : {0u, 28u, 512u, 514u, 600u}) {
    std::vector<uint8_t> d(size, 200);
    EXPECT_FALSE(state.TakeFrame(d, t0 + seconds(1))) << size;
  }
  EXPECT_EQ(state.DMXData()[0], 9);
  EXPECT_EQ(state.LastFrameTime(), t0);
}

TEST(FrameStateTest, TestChannelOverlaysOneChannelOnlyInTheOutput) {
  struct Case {
    std::vector<uint8_t> command;
    bool taken;
    int32_t channel;  // TestChannel afterwards
    int lit;          // output channel at 255, 0 for none
  };
  const Case cases[] = {
      {{5, 0, 0, 0}, true, 5, 5},
      {{0, 0, 0, 0}, true, 0, 0},
      {{1, 0, 0, 0}, true, 1, 1},
      {{255, 1, 0, 0}, true, 511, 511},
      {{0, 2, 0, 0}, true, 512, 0},   // 512 cannot be tested
      {{88, 2, 0, 0}, true, 600, 0},  // 600 selects nothing
      {{255, 127, 0, 0}, true, 32767, 0},
      {{5, 0, 9, 9}, true, 5, 5},           // bytes 2 and 3 are not read
      {{5, 128, 0, 0}, false, 7, 7},        // does not fit: ignored
      {{255, 255, 255, 255}, false, 7, 7},  // -1 as a 32-bit integer: ignored
      {{5, 0, 0}, false, 7, 7},
      {{5, 0, 0, 0, 0}, false, 7, 7},
  };
  for (const Case& c : cases) {
    FrameState state;
    ASSERT_TRUE(state.TakeTest(std::vector<uint8_t>{7, 0, 0, 0}));
    ASSERT_TRUE(state.TakeFrame(FrameDatagram(10, 20), SteadyTime{}));
    EXPECT_EQ(state.TakeTest(c.command), c.taken) << int(c.command[0]);
    EXPECT_EQ(state.TestChannel(), c.channel);
    const Frame out = state.OutputFrame();
    for (int ch = 1; ch <= 512; ++ch) {
      const uint8_t expected = ch == c.lit ? 255 : (ch == 1 ? 10 : 20);
      ASSERT_EQ(out[static_cast<size_t>(ch - 1)], expected) << "channel " << ch;
    }
    EXPECT_EQ(state.DMXData()[4], 20) << "the received data stays as it was";
  }
}

TEST(FrameStateTest, GoesDarkMoreThanTenSecondsAfterTheLastFrame) {
  FrameState state;
  const SteadyTime t0{seconds(1000)};
  ASSERT_TRUE(state.TakeTest(std::vector<uint8_t>{3, 0, 0, 0}));
  ASSERT_TRUE(state.TakeFrame(FrameDatagram(100, 100), t0));
  EXPECT_FALSE(state.BlackoutCheck(t0 + seconds(10)));
  EXPECT_EQ(state.DMXData()[0], 100);
  EXPECT_TRUE(state.BlackoutCheck(t0 + seconds(10) + milliseconds(1)));
  EXPECT_EQ(state.DMXData(), Frame{});
  EXPECT_EQ(state.OutputFrame()[2], 255) << "the test channel stays lit";
  // The check repeats every further 10 seconds.
  const SteadyTime dark = t0 + seconds(10) + milliseconds(1);
  EXPECT_EQ(state.LastFrameTime(), dark);
  EXPECT_FALSE(state.BlackoutCheck(dark + seconds(10)));
  EXPECT_TRUE(state.BlackoutCheck(dark + seconds(11)));
}

TEST(FrameStateTest, TheFirstCheckFindsNoFrameAndGoesDarkAtOnce) {
  FrameState state;
  EXPECT_TRUE(state.BlackoutCheck(SteadyTime{seconds(5)}));
  EXPECT_FALSE(state.BlackoutCheck(SteadyTime{seconds(6)}));
}

}  // namespace
}  // namespace quarnel::dmx
