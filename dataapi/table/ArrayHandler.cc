#include "dataapi/ArrayHandler.h"

#include <array>

namespace quarnel::dataapi {
namespace {

// Code page 1252, bytes 0x80 to 0x9F; the rest map to the same code point.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char16_t ByteToChar(uint8_t b) {
  return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<char16_t>(b);
}

// -1 when the character has no byte.
int CharToByte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == c) return 0x80 + i;
  }
  return -1;
}

}  // namespace

void CopyLongArray(const std::vector<int32_t>& source, std::vector<int32_t>& target) {
  target = source;
}

std::u16string BytesToString(std::span<const uint8_t> bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) text[i] = ByteToChar(bytes[i]);
  return text;
}

bool StringToBytes(std::u16string_view text, std::vector<uint8_t>& bytes) {
  bytes.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    int b = CharToByte(c);
    if (b < 0) {
      bytes.clear();
      return false;
    }
    bytes[i] = static_cast<uint8_t>(b);
  }
  return true;
}

}  // namespace quarnel::dataapi
