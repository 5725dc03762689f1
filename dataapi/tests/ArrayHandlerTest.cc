#include "dataapi/ArrayHandler.h"

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

TEST(ArrayHandlerTest, EveryByteValueRoundTripsThroughASnapshotString) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<uint8_t>(i));
  bytes.push_back(0);
  std::u16string text = BytesToString(bytes);
  ASSERT_EQ(text.size(), bytes.size());  // one character per byte
  EXPECT_EQ(text[0x41], u'A');
  EXPECT_EQ(text[0x80], u'\u20ac');
  EXPECT_EQ(text[0x81], u'\u0081');
  EXPECT_EQ(text[0xE9], u'\u00e9');
  std::vector<uint8_t> back;
  ASSERT_TRUE(StringToBytes(text, back));
  EXPECT_EQ(back, bytes);
}

TEST(ArrayHandlerTest, CharactersWithoutAByteAreRefused) {
  std::vector<uint8_t> back{1, 2};
  EXPECT_FALSE(StringToBytes(u"ab\u4e00", back));
  EXPECT_TRUE(back.empty());
  EXPECT_TRUE(StringToBytes(u"", back));
}

TEST(ArrayHandlerTest, ArrayHelpers) {
  std::vector<int32_t> none, some{3, -1, 7}, target{9};
  EXPECT_FALSE(IsArrayDimensioned(none));
  EXPECT_TRUE(IsArrayDimensioned(some));
  CopyLongArray(some, target);
  EXPECT_EQ(target, some);
  CopyLongArray(none, target);
  EXPECT_FALSE(IsArrayDimensioned(target));
}

}  // namespace
}  // namespace quarnel::dataapi
