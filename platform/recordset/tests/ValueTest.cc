#include "platform/base/Error.h"
#include "platform/recordset/Value.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

// The conversions callers make on field values: a number, or the error number it raises.
TEST(ValueTest, ToInt32ConvertsLikeTheCallersExpect) {
  struct Case {
    const char* what;
    Value value;
    std::optional<int32_t> expected;
    int32_t error;
  };
  const std::vector<Case> cases = {
      {"empty reads as 0", Value(), 0, 0},
      {"integer", Value(int32_t{-7}), -7, 0},
      {"largest", Value(int64_t{2147483647}), 2147483647, 0},
      {"one past the range", Value(int64_t{2147483648}), std::nullopt, Error::kOverflow},
      {"half rounds to even (down)", Value(2.5), 2, 0},
      {"half rounds to even (up)", Value(3.5), 4, 0},
      {"text with spaces", Value::Bytes(std::string(" 12 ")), 12, 0},
      {"negative text", Value::Bytes(std::string("-40")), -40, 0},
      {"decimal text rounds", Value::Bytes(std::string("1.5")), 2, 0},
      {"text not a number", Value::Bytes(std::string("abc")), std::nullopt, Error::kTypeMismatch},
      {"empty text", Value::Bytes(std::string("")), std::nullopt, Error::kTypeMismatch},
      {"text too big", Value::Bytes(std::string("99999999999")), std::nullopt, Error::kOverflow},
      {"null", Value::Null(), std::nullopt, 94},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.expected) {
      EXPECT_EQ(c.value.ToInt32("t"), *c.expected);
    } else {
      try {
        c.value.ToInt32("t");
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.Number(), c.error);
      }
    }
  }
}

TEST(ValueTest, ToBytesKeepsEveryByteAndPrintsNumbers) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Value::Bytes(all).ToBytes("t"), all);
  EXPECT_EQ(Value(int32_t{-12}).ToBytes("t"), "-12");
  EXPECT_EQ(Value().ToBytes("t"), "");
  EXPECT_THROW(Value::Null().ToBytes("t"), Error);
}

TEST(ValueTest, KindsCompareByContent) {
  EXPECT_EQ(Value(), Value());
  EXPECT_EQ(Value::Null(), Value::Null());
  EXPECT_NE(Value(), Value::Null());
  EXPECT_NE(Value(int32_t{0}), Value());
  EXPECT_NE(Value::Bytes(std::string("")), Value());
}

}  // namespace
}  // namespace quarnel
