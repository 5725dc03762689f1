// QuarnelOpenDMX under bad input: every size, any content, the largest datagram, floods.
// The server must neither crash nor change its state other than as its ports promise.
#include "dmxserver/tests/EndToEnd.h"

#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

namespace quarnel::dmx {
namespace {

using std::chrono::milliseconds;

constexpr size_t kLargestDatagram = 65507;

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

// Every size from 0 to 1500 and a spread of larger ones, up to the largest datagram.
std::vector<size_t> AllSizes() {
  std::vector<size_t> sizes;
  for (size_t s = 0; s <= 1500; ++s) sizes.push_back(s);
  for (size_t s = 1501; s < kLargestDatagram; s += 997) sizes.push_back(s);
  sizes.push_back(kLargestDatagram);
  return sizes;
}

TEST_F(EndToEndTest, DatagramsOfEverySizeAndAnyContentChangeOnlyWhatTheyMay) {
  ServerRig& rig = StartReady("sim:S1");
  const Levels lit = With(Filled(11), 3, 255);
  ASSERT_TRUE(rig.SendUntilSeen(Filled(11)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(3)));
  ASSERT_TRUE(rig.WaitForFrame([&](const Levels& s) { return s == lit; }));
  const size_t mark = rig.Frames().size();

  std::mt19937 rng(20261208);
  int sent = 0;
  for (size_t size : AllSizes()) {
    // The sizes that carry a command are left out: they would rightly change the state.
    if (size != 28 && size != 513) rig.SendData(RandomBytes(rng, size));
    if (size != 4) rig.SendTest(RandomBytes(rng, size));
    // A short pause now and then, so the kernel keeps most of them for the server.
    if (++sent % 64 == 0) std::this_thread::sleep_for(milliseconds(2));
  }
  // Test commands that do not fit the channel's 16 bits.
  for (int i = 0; i < 50; ++i) {
    std::vector<uint8_t> command = RandomBytes(rng, 4);
    command[1] |= 0x80;
    rig.SendTest(command);
  }

  const Levels after = With(Filled(12), 3, 255);
  ASSERT_TRUE(rig.SendUntilSeen(Filled(12), after, milliseconds(5000)));
  ASSERT_TRUE(rig.Process().Running());
  int malformed = -1;
  const std::vector<WireFrame> frames = rig.Frames(&malformed);
  EXPECT_EQ(malformed, 0);
  for (size_t i = mark; i < frames.size(); ++i) {
    ASSERT_TRUE(frames[i].slots == lit || frames[i].slots == after) << "frame " << i;
  }
}

TEST_F(EndToEndTest, AFloodOfMixedDatagramsLeavesTheServerWorking) {
  ServerRig& rig = StartReady("sim:S1");
  ASSERT_TRUE(rig.SendUntilSeen(Filled(1)));
  std::mt19937 rng(7);
  const size_t sizes[] = {0, 1, 4, 27, 29, 512, 513, 514, 1400, kLargestDatagram};
  const auto end = std::chrono::steady_clock::now() + milliseconds(2000);
  int sent = 0;
  // 20 000 datagrams at most, 2 seconds at most.
  while (sent < 20000 && std::chrono::steady_clock::now() < end) {
    const size_t size = sizes[rng() % std::size(sizes)];
    std::vector<uint8_t> d = RandomBytes(rng, size);
    if (sent % 2 == 0) {
      rig.SendData(d);
    } else {
      rig.SendTest(d);
    }
    ++sent;
  }
  ASSERT_TRUE(rig.Process().Running());
  // Afterwards the server still takes frames and tests as before.
  std::optional<WireFrame> seen;
  const size_t mark = rig.Frames().size();
  for (int i = 0; i < 150 && !seen; ++i) {
    rig.SendTest(dmxsend::TestDatagram(0));
    rig.SendFrame(Filled(77));
    seen =
        rig.WaitForFrame([](const Levels& s) { return s == Filled(77); }, mark, milliseconds(30));
  }
  ASSERT_TRUE(seen);
  int malformed = -1;
  rig.Frames(&malformed);
  EXPECT_EQ(malformed, 0);
  EXPECT_EQ(rig.ShutDownByDatagram(0), 0);
}

}  // namespace
}  // namespace quarnel::dmx
