// CodePage: a single-byte character set, for turning stored text bytes into characters
// and back at the edge of the program (saved tables, socket text). Every one of the 256 byte values
// maps to exactly one character and back, so bytes survive any number of round trips; bytes a code
// page leaves unassigned map to the control character with the same number. Characters the code
// page cannot write are refused, never replaced.
//
// Characters travel as UTF-8 (std::string) or UTF-16 (std::u16string).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace quarnel {

class CodePage {
 public:
  // The Western European code page 1252, the default.
  CodePage();
  // One of 1250, 1251, 1252 or 28591 (ISO 8859-1). Raises an invalid-argument error for
  // any other number.
  explicit CodePage(int32_t number);

  int32_t number() const { return number_; }

  // Bytes to characters: never fails.
  std::string ToUtf8(std::string_view bytes) const;
  std::u16string ToUtf16(std::string_view bytes) const;
  char32_t CharOf(uint8_t byte) const { return table_[byte]; }

  // Characters to bytes. Raises a data-conversion error (naming the character) for a
  // character the code page has no byte for, or for malformed UTF-8.
  std::string FromUtf8(std::string_view text, const char* source) const;
  std::string FromUtf16(std::u16string_view text, const char* source) const;

 private:
  int ByteOf(char32_t c) const;  // -1 when none

  int32_t number_;
  std::array<char32_t, 256> table_{};
  std::array<std::pair<char32_t, uint8_t>, 128> reverse_{};  // sorted by character
};

// UTF-8 helpers used with wide text fields (whose bytes are UTF-16LE). Unpaired surrogates
// come out as U+FFFD; malformed UTF-8 raises a data-conversion error.
std::string Utf16LeBytesToUtf8(std::string_view bytes);
std::string Utf8ToUtf16LeBytes(std::string_view text, const char* source);

}  // namespace quarnel
