// Datagrams and level settings of dmxsend.
#include "tools/dmxsend/Datagrams.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dmxsend {
namespace {

TEST(DatagramsTest, SizesAndLayout) {
  Levels levels{};
  levels[0] = 255;
  levels[511] = 7;
  const std::vector<uint8_t> frame = FrameDatagram(levels);
  ASSERT_EQ(frame.size(), 513u);
  EXPECT_EQ(frame[0], 0);
  EXPECT_EQ(frame[1], 255) << "channel 1 is byte 1";
  EXPECT_EQ(frame[512], 7);
  EXPECT_EQ(ShutdownDatagram().size(), 28u);
  EXPECT_EQ(TestDatagram(5), (std::vector<uint8_t>{5, 0, 0, 0}));
  EXPECT_EQ(TestDatagram(0x1234), (std::vector<uint8_t>{0x34, 0x12, 0, 0}));
}

TEST(DatagramsTest, LevelSettings) {
  struct Case {
    std::vector<std::string> settings;
    bool ok;
    std::vector<std::pair<int, int>> expect;  // channel, level
  };
  const Case cases[] = {
      {{"1=255"}, true, {{1, 255}, {2, 0}}},
      {{"512=1"}, true, {{512, 1}, {511, 0}}},
      {{"10-12=128"}, true, {{9, 0}, {10, 128}, {12, 128}, {13, 0}}},
      {{"all=9", "3=0"}, true, {{1, 9}, {3, 0}, {512, 9}}},
      {{"5-5=1"}, true, {{5, 1}}},
      {{"0=1"}, false, {}},
      {{"513=1"}, false, {}},
      {{"1=256"}, false, {}},
      {{"1=-1"}, false, {}},
      {{"1"}, false, {}},
      {{"=5"}, false, {}},
      {{"1="}, false, {}},
      {{"12-10=5"}, false, {}},
      {{"1-=5"}, false, {}},
      {{"x=5"}, false, {}},
      {{"1=5x"}, false, {}},
      {{"99999999999=1"}, false, {}},
  };
  for (const Case& c : cases) {
    Levels levels{};
    std::string error;
    bool ok = true;
    for (const std::string& s : c.settings) ok = ok && ApplyLevel(s, levels, error);
    EXPECT_EQ(ok, c.ok) << c.settings[0];
    if (!ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    for (auto [channel, level] : c.expect) {
      EXPECT_EQ(levels[static_cast<size_t>(channel - 1)], level)
          << c.settings[0] << " ch " << channel;
    }
  }
}

}  // namespace
}  // namespace quarnel::dmxsend
