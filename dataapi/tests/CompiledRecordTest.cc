// Compiled playback records: the block layout and the reading rules.
#include "dataapi/CompiledRecord.h"
#include "platform/base/Error.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

TEST(CompiledRecordTest, ARecordIsTenLittleEndianIntegersInFieldOrder) {
  const CompiledRecord r{0x01020304, -1, 2, 0x8001, 10034, 240, 1, 12, 200, -5};
  const std::string bytes = WriteCompiledBlock(std::vector<CompiledRecord>{r});
  const std::string expected(
      "\x04\x03\x02\x01"
      "\xff\xff\xff\xff"
      "\x02\x00\x00\x00"
      "\x01\x80\x00\x00"
      "\x32\x27\x00\x00"
      "\xf0\x00\x00\x00"
      "\x01\x00\x00\x00"
      "\x0c\x00\x00\x00"
      "\xc8\x00\x00\x00"
      "\xfb\xff\xff\xff",
      40);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(ReadCompiledBlock(bytes, "test", "Test"), std::vector<CompiledRecord>{r});
}

TEST(CompiledRecordTest, ABlockHoldsItsLengthDividedBy40Records) {
  std::vector<CompiledRecord> records;
  for (int32_t i = 0; i < 10; ++i) records.push_back({i, 0, 1, 1, 33, 240, 240, 0, 0, 0});
  const std::string block = WriteCompiledBlock(records);
  ASSERT_EQ(block.size(), 400u);
  EXPECT_EQ(ReadCompiledBlock(block, "test", "Test"), records);
  EXPECT_TRUE(ReadCompiledBlock("", "test", "Test").empty());
  EXPECT_TRUE(WriteCompiledBlock({}).empty());
}

TEST(CompiledRecordTest, ALengthThatIsNoWholeNumberOfRecordsIsRefused) {
  for (size_t length : {1u, 39u, 41u, 399u}) {
    try {
      ReadCompiledBlock(std::string(length, '\0'), "the playback data", "File.Load");
      FAIL() << length << " bytes accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), kBadRecordLength);
      EXPECT_EQ(e.Source(), "File.Load");
      EXPECT_NE(e.Description().find("the playback data holds " + std::to_string(length)),
                std::string::npos)
          << e.Description();
    }
  }
}

TEST(CompiledRecordTest, ChannelBitsCountFromBitZero) {
  EXPECT_TRUE(IsChannelBitSet(1, 0));
  EXPECT_FALSE(IsChannelBitSet(1, 1));
  EXPECT_TRUE(IsChannelBitSet(0x8000, 15));
  EXPECT_TRUE(IsChannelBitSet(-1, 15));
  // Bits above 15 name no channel.
  EXPECT_FALSE(IsChannelBitSet(0x10000, 16));
  EXPECT_FALSE(IsChannelBitSet(-1, -1));
}

// The events one record stands for, as (channel, command) pairs in bit order.
std::vector<std::pair<int32_t, int32_t>> EventsOf(int32_t mask, int32_t command) {
  const CompiledRecord r{1000, 0, 2, mask, command, 240, 240, 0, 0, 0};
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int32_t b = 0; b < 16; ++b) {
    if (auto e = ReadCompiledEvent(r, b)) out.emplace_back(e->channel, e->command);
  }
  return out;
}

TEST(CompiledRecordTest, ReadingRules) {
  using Events = std::vector<std::pair<int32_t, int32_t>>;
  struct Case {
    int32_t mask;
    int32_t command;
    Events expected;
  };
  const Case cases[] = {
      {0x0007, 33, {{1, 33}, {2, 33}, {3, 33}}},
      {0x0007, 23, {{9, 33}, {10, 33}, {11, 33}}},  // below 30: channels 9 up, command + 10
      {0x0005, 33, {{1, 33}, {3, 33}}},
      {0x8000, 33, {{16, 33}}},
      {0x0001, 10034, {{1, 34}}},  // a short fade reads as a fade
      {0x0001, 29, {{9, 39}}},
      {0x0001, 30, {{1, 30}}},
      {0x0001, 1, {{9, 11}}},
      {0x0000, 33, {}},
      {0x10000, 33, {}},  // bits above 15 name no channel
      {0xFFFF, 0, {}},
      {0xFFFF, -33, {}},
      {0xFFFF, -34, {}},
      {0xFFFF, -36, {}},
      {0xFFFF, -37, {}},
      {0xFFFF, -40, {}},
      {0xFFFF, -10034, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EventsOf(c.mask, c.command), c.expected)
        << "mask " << c.mask << " command " << c.command;
  }
}

}  // namespace
}  // namespace quarnel::dataapi
