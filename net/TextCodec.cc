#include "net/TextCodec.h"

#include "platform/base/CodePage.h"
#include "platform/base/Utf8.h"

#include <algorithm>
#include <array>

namespace quarnel::net {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`; returns the number of bytes used, or 0 when the bytes at
// `i` are malformed (`truncated` tells a sequence cut off by the end of the input).
size_t DecodeOne(std::string_view s, size_t i, char32_t& out, bool& truncated) {
  truncated = false;
  auto b0 = static_cast<uint8_t>(s[i]);
  if (b0 < 0x80) {
    out = b0;
    return 1;
  }
  size_t length;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, min = 0x80, out = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, min = 0x800, out = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, min = 0x10000, out = b0 & 0x07;
  } else {
    return 0;
  }
  for (size_t k = 1; k < length; ++k) {
    if (i + k >= s.size()) {
      truncated = true;
      return 0;
    }
    auto b = static_cast<uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    out = (out << 6) | (b & 0x3F);
    // Reject overlong forms and surrogates as early as the second byte shows them.
    if (k == 1) {
      if (length == 3 && b0 == 0xE0 && b < 0xA0) return 0;
      if (length == 3 && b0 == 0xED && b > 0x9F) return 0;
      if (length == 4 && b0 == 0xF0 && b < 0x90) return 0;
      if (length == 4 && b0 == 0xF4 && b > 0x8F) return 0;
    }
  }
  if (out < min || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return 0;
  return length;
}

// Calls `sink` with each code point of `text`, U+FFFD for each malformed byte.
template <typename Sink>
void ForEachCodePoint(std::string_view text, Sink sink) {
  size_t i = 0;
  while (i < text.size()) {
    char32_t c;
    bool truncated;
    size_t used = DecodeOne(text, i, c, truncated);
    if (used == 0) {
      sink(kReplacement);
      ++i;
    } else {
      sink(c);
      i += used;
    }
  }
}

const CodePage& Ansi() {
  static const CodePage kWesternEuropean(1252);
  return kWesternEuropean;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes, bool cut_short) {
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t c;
    bool truncated;
    size_t used = DecodeOne(bytes, i, c, truncated);
    if (used == 0) return cut_short && truncated;
    i += used;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes, false)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 8);
  ForEachCodePoint(bytes, [&](char32_t c) { AppendUtf8(out, c); });
  return out;
}

std::string AnsiToUtf8(std::string_view bytes) { return Ansi().ToUtf8(bytes); }

std::string Utf8ToAnsi(std::string_view text) {
  // Reverse table built once from the code page's own byte-to-character table.
  static const auto kReverse = [] {
    std::array<std::pair<char32_t, uint8_t>, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = {Ansi().CharOf(static_cast<uint8_t>(b)), b};
    std::sort(table.begin(), table.end());
    return table;
  }();
  std::string out;
  out.reserve(text.size());
  ForEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      return;
    }
    auto it = std::lower_bound(kReverse.begin(), kReverse.end(), std::make_pair(c, uint8_t{0}));
    out.push_back(it != kReverse.end() && it->first == c ? static_cast<char>(it->second) : '?');
  });
  return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) { return Utf16LeBytesToUtf8(bytes); }

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto unit = [&](uint32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  };
  ForEachCodePoint(text, [&](char32_t c) {
    if (c >= 0x10000) {
      c -= 0x10000;
      unit(0xD800 + (c >> 10));
      unit(0xDC00 + (c & 0x3FF));
    } else {
      unit(c);
    }
  });
  return out;
}

}  // namespace quarnel::net
