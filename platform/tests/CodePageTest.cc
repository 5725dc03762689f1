#include "platform/base/CodePage.h"
#include "platform/base/ConversionErrors.h"
#include "platform/base/Error.h"

#include <string>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

std::string AllBytes() {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  return all;
}

TEST(CodePageTest, EveryByteRoundTripsInEveryCodePage) {
  for (int32_t number : {1250, 1251, 1252, 28591}) {
    SCOPED_TRACE(number);
    const CodePage cp(number);
    const std::string all = AllBytes();
    EXPECT_EQ(cp.FromUtf8(cp.ToUtf8(all), "t"), all);
    EXPECT_EQ(cp.FromUtf16(cp.ToUtf16(all), "t"), all);
  }
}

TEST(CodePageTest, Windows1252Characters) {
  const CodePage cp;
  EXPECT_EQ(cp.number(), 1252);
  EXPECT_EQ(cp.CharOf(0x80), U'\u20AC');  // euro sign
  EXPECT_EQ(cp.CharOf(0xE9), U'\u00E9');  // e acute
  EXPECT_EQ(cp.CharOf(0x81), U'\u0081');  // unassigned: the control character
  EXPECT_EQ(cp.CharOf(0x9D), U'\u009D');
  EXPECT_EQ(cp.FromUtf8("caf\xC3\xA9 \xE2\x82\xAC", "t"), "caf\xE9 \x80");
  EXPECT_EQ(CodePage(1251).CharOf(0xC0), U'\u0410');  // Cyrillic A
}

TEST(CodePageTest, RefusesWhatItCannotWrite) {
  const CodePage cp;
  auto error_of = [&](std::string_view text) {
    try {
      cp.FromUtf8(text, "t");
    } catch (const Error& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(error_of("\xE4\xB8\x80"), conversion_errors::kDataConversion);  // U+4E00
  EXPECT_EQ(error_of("\xC3"), conversion_errors::kDataConversion);          // cut short
  EXPECT_EQ(error_of("\xC0\x80"), conversion_errors::kDataConversion);      // overlong
  EXPECT_EQ(error_of("\xED\xA0\x80"), conversion_errors::kDataConversion);  // surrogate
  EXPECT_THROW(CodePage(949), Error);
}

TEST(CodePageTest, WideTextKeepsSurrogatePairs) {
  const std::string utf8 = "A\xF0\x9F\x8E\xB5\xED\x95\x9C";  // A, U+1F3B5, U+D55C
  const std::string wide = Utf8ToUtf16LeBytes(utf8, "t");
  EXPECT_EQ(wide, std::string("A\0\x3C\xD8\xB5\xDF\x5C\xD5", 8));
  EXPECT_EQ(Utf16LeBytesToUtf8(wide), utf8);
  // A lone surrogate cannot be shown and comes out as the replacement character.
  EXPECT_EQ(Utf16LeBytesToUtf8(std::string("\x00\xD8", 2)), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quarnel
