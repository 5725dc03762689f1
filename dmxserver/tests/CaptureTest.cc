// Reading the capture back: lines and frames.
#include "dmxserver/harness/Capture.h"

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace quarnel::dmx::harness {
namespace {

std::string Slots(const std::string& byte_hex) {
  std::string s;
  for (int i = 0; i < 512; ++i) s += byte_hex;
  return s;
}

TEST(CaptureLineTest, ParsesWellFormedLinesAndRefusesOthers) {
  struct Case {
    std::string line;
    bool ok;
  };
  const Case cases[] = {
      {"0 S1 OPEN 0", true},
      {"12 S1 RESET", true},
      {"13 S1 SET_DATA 8 2 0", true},
      {"14 S1 WRITE 1 00", true},
      {"15 S1 WRITE 3 0aff10", true},
      {"16 S1 WRITE 0 ", true},
      {"", false},
      {"S1 OPEN 0", false},
      {"x S1 OPEN", false},
      {"1 S1", false},
      {"1 S1 WRITE 2 00", false},
      {"1 S1 WRITE 1 0G", false},
      {"1 S1 WRITE 1 0A", false},
      {"1 S1 PURGE two", false},
  };
  for (const Case& c : cases) {
    std::optional<CaptureCall> call = ParseCaptureLine(c.line);
    EXPECT_EQ(call.has_value(), c.ok) << c.line;
    if (call) {
      EXPECT_EQ(std::to_string(call->ns) + " " + call->Text(), c.line);
    }
  }
}

TEST(CaptureFramesTest, FindsFramesAndCountsBrokenOnes) {
  std::vector<CaptureCall> calls;
  for (const std::string& line :
       {std::string("1 S1 OPEN 0"), std::string("2 S1 BREAK_ON"), std::string("3 S1 BREAK_OFF"),
        std::string("4 S1 WRITE 1 00"), "5 S1 WRITE 512 " + Slots("7f"),
        std::string("6 S1 BREAK_ON"), std::string("7 S1 WRITE 1 00"),  // no break off
        std::string("8 S1 BREAK_ON"), std::string("9 S1 BREAK_OFF"),
        std::string("10 S1 WRITE 1 00"), "11 S1 WRITE 512 " + Slots("01"),
        std::string("12 S1 WRITE 1 00"),  // no break before it
        std::string("20 S1 BREAK_ON"), std::string("130 S1 BREAK_OFF"),
        "150 S1 WRITE 513 00" + Slots("02")}) {
    calls.push_back(*ParseCaptureLine(line));
  }
  int malformed = -1;
  const std::vector<WireFrame> frames = FramesOf(calls, &malformed);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].break_ns, 2);
  EXPECT_EQ(frames[0].BreakNs(), 1);
  EXPECT_EQ(frames[0].MarkAfterBreakNs(), 1);
  EXPECT_EQ(frames[0].first_slot_ns, 5);
  EXPECT_EQ(frames[0].slots[511], 0x7f);
  EXPECT_EQ(frames[1].slots[0], 1);
  // One write of start code and slots: the times of the break and the mark show too.
  EXPECT_EQ(frames[2].BreakNs(), 110);
  EXPECT_EQ(frames[2].MarkAfterBreakNs(), 20);
  EXPECT_EQ(frames[2].first_slot_ns, 150);
  EXPECT_EQ(frames[2].slots[0], 2);
  EXPECT_EQ(malformed, 2);
}

TEST(CaptureFollowerTest, ReturnsOnlyCompleteNewLines) {
  const std::string path = ::testing::TempDir() + "/follow.capture";
  std::remove(path.c_str());
  CaptureFollower follower(path);
  EXPECT_TRUE(follower.Poll().empty()) << "no file yet";
  std::ofstream out(path, std::ios::binary);  // as the capture is written
  out << "1 S1 OPEN 0\n2 S1 RE" << std::flush;
  EXPECT_EQ(follower.Poll().size(), 1u);
  out << "SET\n" << std::flush;
  const std::vector<CaptureCall> fresh = follower.Poll();
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_EQ(fresh[0].call, "RESET");
  EXPECT_EQ(follower.All().size(), 2u);
  EXPECT_EQ(follower.BadLines(), 0);
}

}  // namespace
}  // namespace quarnel::dmx::harness
