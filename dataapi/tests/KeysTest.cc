#include "dataapi/Keys.h"
#include "platform/base/Error.h"

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

TEST(KeysTest, BuildersJoinDecimalParts) {
  EXPECT_EQ(MakeNDCKey(0, 3, 17), u"0,3,17");
  EXPECT_EQ(MakeNDCSKey(0, 3, 17, 88200), u"0,3,17,88200");
  EXPECT_EQ(MakeNDCSKey(-1, INT32_MIN, INT32_MAX, -88200), u"-1,-2147483648,2147483647,-88200");
}

TEST(KeysTest, CompareNumberByNumber) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    LargerString expected;
  };
  const Case cases[] = {
      {u"1,10", u"1,9", FirstKeyGreaterThan},
      {u"2", u"10", FirstKeyLessThan},
      {u"1,2,3", u"1,2,3", KeysAreIdentical},
      {u"1,2", u"1,2,99", KeysAreIdentical},  // only key1's parts count
      {u"-5,0", u"-4,0", FirstKeyLessThan},
      {u"0,1,2,100", u"0,1,2,99", FirstKeyGreaterThan},
      {u" 7 ", u"7", KeysAreIdentical},
      {u"2.5", u"2", KeysAreIdentical},  // rounds half to even
      {u"3.5", u"4", KeysAreIdentical},
      {u"5,x", u"6,1", FirstKeyLessThan},  // parts after the first difference are not read
  };
  for (const Case& c : cases) EXPECT_EQ(CompareKeys(c.a, c.b), c.expected);
}

TEST(KeysTest, CompareRaisesForBadParts) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int32_t error;
  };
  const Case cases[] = {
      {u"1,x", u"1,2", 13},  {u"1,2", u"1,y", 13},     {u"1,", u"1,2", 13},
      {u"1,2,3", u"1,2", 9}, {u"3000000000", u"1", 6}, {u"1", u"-3000000000", 6},
  };
  for (const Case& c : cases) {
    try {
      CompareKeys(c.a, c.b);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), c.error);
    }
  }
}

}  // namespace
}  // namespace quarnel::dataapi
