#include "platform/recordset/CodePage.h"

#include "platform/base/Utf8.h"
#include "platform/recordset/RecordsetErrors.h"

#include <algorithm>
#include <cstdio>

namespace quarnel {
namespace {

// Characters of the bytes 0x80 to 0xFF. Bytes a code page leaves unassigned map to the
// control character of the same number, so that every byte round-trips.
constexpr char16_t kHigh1250[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr char16_t kHigh1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr char16_t kHigh1252[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const char16_t* HighHalf(int32_t number) {
  switch (number) {
    case 1250:
      return kHigh1250;
    case 1251:
      return kHigh1251;
    case 1252:
      return kHigh1252;
    default:
      return nullptr;  // 28591: the bytes are the characters
  }
}

std::string CharName(char32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
  return buf;
}

// Decodes one UTF-8 character at text[i], advancing i. Raises on malformed input.
char32_t NextUtf8(std::string_view text, size_t& i, const char* source) {
  const auto b0 = static_cast<uint8_t>(text[i]);
  int extra = 0;
  char32_t c = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    c = b0 & 0x07;
  } else {
    throw recordset_errors::DataConversion(source, "malformed UTF-8 at byte " + std::to_string(i));
  }
  if (i + extra >= text.size()) {
    throw recordset_errors::DataConversion(source, "malformed UTF-8 at byte " + std::to_string(i));
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(text[i + k]);
    if ((b & 0xC0) != 0x80) {
      throw recordset_errors::DataConversion(source,
                                             "malformed UTF-8 at byte " + std::to_string(i));
    }
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    throw recordset_errors::DataConversion(source, "malformed UTF-8 at byte " + std::to_string(i));
  }
  i += extra + 1;
  return c;
}

}  // namespace

CodePage::CodePage() : CodePage(1252) {}

CodePage::CodePage(int32_t number) : number_(number) {
  if (number != 1250 && number != 1251 && number != 1252 && number != 28591) {
    throw recordset_errors::InvalidArgument(
        "CodePage",
        "code page " + std::to_string(number) + " is not supported; use 1250, 1251, 1252 or 28591");
  }
  const char16_t* high = HighHalf(number);
  for (int b = 0; b < 256; ++b) {
    table_[b] = (b < 0x80 || !high) ? static_cast<char32_t>(b) : high[b - 0x80];
  }
  for (int b = 0x80; b < 256; ++b) reverse_[b - 0x80] = {table_[b], static_cast<uint8_t>(b)};
  std::sort(reverse_.begin(), reverse_.end());
}

int CodePage::ByteOf(char32_t c) const {
  if (c < 0x80) return static_cast<int>(c);
  auto it = std::lower_bound(reverse_.begin(), reverse_.end(), std::pair<char32_t, uint8_t>{c, 0});
  return (it != reverse_.end() && it->first == c) ? it->second : -1;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) AppendUtf8(out, table_[static_cast<uint8_t>(ch)]);
  return out;
}

std::u16string CodePage::ToUtf16(std::string_view bytes) const {
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) out.push_back(static_cast<char16_t>(table_[static_cast<uint8_t>(ch)]));
  return out;
}

std::string CodePage::FromUtf8(std::string_view text, const char* source) const {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char32_t c = NextUtf8(text, i, source);
    const int b = ByteOf(c);
    if (b < 0) {
      throw recordset_errors::DataConversion(
          source,
          "character " + CharName(c) + " has no byte in code page " + std::to_string(number_));
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string CodePage::FromUtf16(std::u16string_view text, const char* source) const {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    const int b = ByteOf(c);
    if (b < 0) {
      throw recordset_errors::DataConversion(
          source,
          "character " + CharName(c) + " has no byte in code page " + std::to_string(number_));
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string Utf16LeBytesToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t k) {
    return static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * k]) |
                                 (static_cast<uint8_t>(bytes[2 * k + 1]) << 8));
  };
  for (size_t k = 0; k < units; ++k) {
    const char16_t u = unit(k);
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
      const char16_t lo = unit(k + 1);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (lo - 0xDC00));
        ++k;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? char32_t{0xFFFD} : char32_t{u});
  }
  return out;
}

std::string Utf8ToUtf16LeBytes(std::string_view text, const char* source) {
  std::string out;
  out.reserve(text.size() * 2);
  auto put = [&out](char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
  };
  size_t i = 0;
  while (i < text.size()) {
    const char32_t c = NextUtf8(text, i, source);
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
}

}  // namespace quarnel
