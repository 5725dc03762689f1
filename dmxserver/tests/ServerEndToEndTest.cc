// QuarnelOpenDMX as a program, on simulated interfaces: what reaches the wire for what
// arrives on its ports.
#include "dmxserver/tests/EndToEnd.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/tests/PrivateNetwork.h"

#include <algorithm>
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

namespace quarnel::dmx {
namespace {

using std::chrono::milliseconds;

int CountCalls(ServerRig& rig, const std::string& text) {
  const auto& calls = rig.Calls();
  return static_cast<int>(std::count_if(
      calls.begin(), calls.end(), [&](const harness::CaptureCall& c) { return c.Text() == text; }));
}

TEST_F(EndToEndTest, ByteOneOfAFrameIsSlotOneOfTheNextFrameAndByteZeroIsNotUsed) {
  ServerRig& rig = StartReady("sim:S1");
  std::vector<uint8_t> datagram = dmxsend::FrameDatagram(With(With(Filled(4), 1, 255), 512, 9));
  datagram[0] = 0x55;
  std::optional<WireFrame> seen;
  for (int i = 0; i < 50 && !seen; ++i) {
    rig.SendData(datagram);
    seen = rig.WaitForFrame([](const Levels& s) { return s[0] == 255; }, 0, milliseconds(40));
  }
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->slots[1], 4);
  EXPECT_EQ(seen->slots[511], 9);
  // Every frame on the wire is break on, break off, start code 0, the 512 slots.
  int malformed = -1;
  const std::vector<WireFrame> frames = rig.Frames(&malformed);
  EXPECT_EQ(malformed, 0);
  EXPECT_EQ(CountCalls(rig, "S1 BREAK_ON"), static_cast<int>(frames.size()));
  // The break lasts at least 110 us and the mark after it 16 us, even on an interface
  // that answers at once (as the fast simulation does).
  for (const WireFrame& f : frames) {
    EXPECT_GE(f.BreakNs(), 110'000);
    EXPECT_GE(f.MarkAfterBreakNs(), 16'000);
  }
}

TEST_F(EndToEndTest, DatagramsOfOtherSizesChangeNothing) {
  ServerRig& rig = StartReady("sim:S1");
  ASSERT_TRUE(rig.SendUntilSeen(Filled(7)));
  const size_t before = rig.Frames().size();
  for (size_t size : {512u, 27u, 29u, 514u, 600u, 1u, 0u, 4u, 65507u}) {
    ASSERT_TRUE(rig.SendData(std::vector<uint8_t>(size, 200))) << size;
    std::this_thread::sleep_for(milliseconds(30));
  }
  ASSERT_TRUE(rig.SendUntilSeen(Filled(9)));
  const std::vector<WireFrame> frames = rig.Frames();
  for (size_t i = before; i < frames.size(); ++i) {
    ASSERT_TRUE(frames[i].slots == Filled(7) || frames[i].slots == Filled(9)) << "frame " << i;
  }
  EXPECT_TRUE(rig.Process().Running());
}

TEST_F(EndToEndTest, TwentyEightBytesShutTheServerDown) {
  ServerRig& rig = StartReady("sim:S1");
  ASSERT_TRUE(rig.SendUntilSeen(Filled(3)));
  EXPECT_EQ(rig.ShutDownByDatagram(0xee), 0);
  ASSERT_FALSE(rig.Calls().empty());
  EXPECT_EQ(rig.Calls().back().Text(), "S1 CLOSE");
  EXPECT_EQ(CountCalls(rig, "S1 CLOSE"), 1);
}

TEST_F(EndToEndTest, SigtermShutsDownLikeTheButton) {
  ServerRig& rig = StartReady("sim:S1");
  ASSERT_TRUE(rig.SendUntilSeen(Filled(3)));
  rig.Process().Signal(SIGTERM);
  EXPECT_EQ(rig.Process().WaitExit(milliseconds(3000)), 0);
  EXPECT_EQ(rig.Calls().back().Text(), "S1 CLOSE");
}

TEST_F(EndToEndTest, TestChannelShowsFullWhileTheOthersFollowTheData) {
  ServerRig& rig = StartReady("sim:S1");
  ASSERT_TRUE(rig.SendUntilSeen(Filled(10)));
  auto wait = [&](const Levels& expected) {
    return rig.WaitForFrame([&](const Levels& s) { return s == expected; }, rig.Frames().size());
  };
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(5)));
  EXPECT_TRUE(wait(With(Filled(10), 5, 255)));
  ASSERT_TRUE(rig.SendUntilSeen(Filled(20), With(Filled(20), 5, 255)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(0)));
  EXPECT_TRUE(wait(Filled(20)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(1)));
  EXPECT_TRUE(wait(With(Filled(20), 1, 255)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(512)));
  EXPECT_TRUE(wait(Filled(20))) << "512 selects nothing";
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(511)));
  EXPECT_TRUE(wait(With(Filled(20), 511, 255)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(600)));
  EXPECT_TRUE(wait(Filled(20))) << "600 selects nothing";
  // A command whose byte 1 is 128 or more, and sizes other than 4, leave the test as it is.
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(7)));
  ASSERT_TRUE(wait(With(Filled(20), 7, 255)));
  const size_t mark = rig.Frames().size();
  ASSERT_TRUE(rig.SendTest({9, 128, 0, 0}));
  ASSERT_TRUE(rig.SendTest({9, 0, 0}));
  ASSERT_TRUE(rig.SendTest({9, 0, 0, 0, 0}));
  ASSERT_TRUE(rig.SendTest({}));
  std::this_thread::sleep_for(milliseconds(150));
  const std::vector<WireFrame> frames = rig.Frames();
  for (size_t i = mark; i < frames.size(); ++i)
    EXPECT_EQ(frames[i].slots, With(Filled(20), 7, 255));
}

TEST_F(EndToEndTest, OfDatagramsQueuedTogetherTheNewestFrameAndTheNewestTestWin) {
  ServerRig& rig = StartReady("sim:S1");
  ASSERT_TRUE(rig.SendUntilSeen(Filled(10)));
  // Stopped, the server reads nothing: all four wait in its sockets when it goes on.
  rig.Process().Pause();
  ASSERT_TRUE(rig.SendFrame(Filled(11)));
  ASSERT_TRUE(rig.SendFrame(Filled(12)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(5)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(0)));
  rig.Process().Resume();
  std::optional<WireFrame> newest =
      rig.WaitForFrame([](const Levels& s) { return s == Filled(12); });
  ASSERT_TRUE(newest);
  std::this_thread::sleep_for(milliseconds(150));
  for (const WireFrame& f : rig.Frames()) {
    if (f.break_ns > newest->break_ns) {
      ASSERT_EQ(f.slots, Filled(12));
    }
  }
}

TEST_F(EndToEndTest, TheWindowSaysWhichAddressItListensOnAndWhy) {
  ServerRig& rig = StartReady("sim:S1");
  // In the tests' own network the host name stands for loopback only, and the loopback
  // interface also carries a network address.
  if (platform::DottedText(platform::FindPrimaryAddress().address) !=
      sockets_testing::kDocumentationAddress) {
    GTEST_SKIP() << "not in a private network";
  }
  const std::string out = rig.Process().Stdout();
  EXPECT_NE(out.find("Listening on 192.0.2.10: UDP 15005 for frames"), std::string::npos) << out;
  EXPECT_NE(out.find("so 192.0.2.10 is used: the address of lo."), std::string::npos) << out;
}

TEST_F(EndToEndTest, OutputGoesDarkTenToElevenSecondsAfterTheLastFrame) {
  ServerRig& rig = StartReady("sim:S1");
  std::optional<WireFrame> lit = rig.SendUntilSeen(Filled(50));
  ASSERT_TRUE(lit);
  std::optional<WireFrame> dark = rig.WaitForFrame([](const Levels& s) { return s == Levels{}; },
                                                   rig.Frames().size() - 1, milliseconds(12000));
  ASSERT_TRUE(dark);
  const double seconds = static_cast<double>(dark->break_ns - lit->break_ns) / 1e9;
  EXPECT_GE(seconds, 10.0);
  EXPECT_LE(seconds, 11.0);
  // Until then the levels were kept.
  for (const WireFrame& f : rig.Frames()) {
    if (f.break_ns > lit->break_ns && f.break_ns < dark->break_ns) {
      ASSERT_EQ(f.slots, Filled(50));
    }
  }
}

TEST_F(EndToEndTest, ASecondCopyEndsSilentlyAndTheFirstKeepsItsPorts) {
  ServerRig& first = StartReady("sim:S1");
  ServerRig& second = Start("sim:S2", {}, "second");
  EXPECT_EQ(second.Process().WaitExit(milliseconds(4000)), 0);
  EXPECT_EQ(second.Process().Stdout().find("Listening"), std::string::npos);
  EXPECT_EQ(second.Process().Stderr(), "");
  ASSERT_TRUE(first.Process().Running());
  EXPECT_TRUE(first.SendUntilSeen(Filled(33)));
  ASSERT_TRUE(first.SendTest(dmxsend::TestDatagram(2)));
  EXPECT_TRUE(first.WaitForFrame([](const Levels& s) { return s == With(Filled(33), 2, 255); }));
  // The second copy never touched an interface.
  for (const harness::CaptureCall& c : second.Calls()) ADD_FAILURE() << c.Text();
}

TEST_F(EndToEndTest, TheInterfaceIsChosenBySerialNumberOrElseTheFirst) {
  struct Case {
    std::vector<std::string> args;
    const char* opened;
  };
  const Case cases[] = {{{"B22"}, "B22 OPEN 1"}, {{"nomatch"}, "A1 OPEN 0"}, {{}, "A1 OPEN 0"}};
  for (const Case& c : cases) {
    ServerRig& rig = StartReady("sim:A1,B22", c.args);
    ASSERT_TRUE(rig.SendUntilSeen(Filled(1)));
    EXPECT_EQ(rig.Calls().front().Text(), c.opened);
    EXPECT_EQ(rig.Process().Stop(), 0);
    for (const harness::CaptureCall& call : rig.Calls()) {
      EXPECT_EQ(call.serial, std::string(c.opened).substr(0, call.serial.size())) << call.Text();
    }
  }
}

TEST_F(EndToEndTest, WithoutAnInterfaceTheServerStillRunsAndListens) {
  ServerRig& rig = StartReady("sim:", {"S1"});
  EXPECT_NE(rig.Process().Stdout().find("No Open DMX USB interface"), std::string::npos);
  ASSERT_TRUE(rig.SendFrame(Filled(5)));
  ASSERT_TRUE(rig.SendTest(dmxsend::TestDatagram(5)));
  std::this_thread::sleep_for(milliseconds(100));
  EXPECT_TRUE(rig.Process().Running());
  EXPECT_EQ(rig.ShutDownByDatagram(0), 0);
  EXPECT_TRUE(rig.Calls().empty());
}

}  // namespace
}  // namespace quarnel::dmx
