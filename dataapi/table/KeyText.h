// Allocation-free key work for the hot paths: building key texts into a fixed buffer,
// and comparing a key stored in a table cell with a searched key parsed once.
#pragma once

#include "dataapi/TableTypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

// A key text built in place; holds up to four 32-bit parts.
class KeyBuffer {
 public:
  KeyBuffer() = default;
  KeyBuffer(int32_t a, int32_t b, int32_t c) {
    Append(a);
    Append(b);
    Append(c);
  }
  KeyBuffer(int32_t a, int32_t b, int32_t c, int32_t d) : KeyBuffer(a, b, c) { Append(d); }
  explicit KeyBuffer(int32_t a) { Append(a); }

  void Append(int32_t part);
  std::u16string_view View() const { return {text_, static_cast<size_t>(length_)}; }
  int32_t Length() const { return length_; }

 private:
  char16_t text_[48];
  int32_t length_ = 0;
};

// A searched key split into its parts. A part that is not a number is remembered with
// the error it raises when a comparison first needs it.
class ParsedKey {
 public:
  explicit ParsedKey(std::u16string_view key);

  size_t PartCount() const { return count_; }
  std::u16string_view Text() const { return text_; }
  // Of the first m characters of the text: how many whole parts (each followed by its
  // comma) they hold, counting only parts that convert without error, and where the
  // part after them starts.
  void WholePartsWithin(size_t m, size_t& parts, size_t& next_start) const;
  // The value of part i; raises the part's conversion error.
  int32_t Part(size_t i, const char* source) const {
    if (i < count_ && i < kInline && inline_[i].error == 0) return inline_[i].value;
    return PartOrThrow(i, source);
  }

 private:
  struct Slot {
    int32_t value;
    int32_t error;  // 0, or the error number the conversion raises
  };
  int32_t PartOrThrow(size_t i, const char* source) const;

  static constexpr size_t kInline = 8;
  std::u16string_view text_;
  // Where part i + 1 starts, for the first parts; and how many leading parts are valid.
  size_t starts_[kInline];
  size_t valid_leading_ = 0;
  Slot inline_[kInline];
  std::vector<Slot> more_;  // parts past kInline, for unusual keys
  size_t count_ = 0;
};

// Converts one key part as a 32-bit integer: optional spaces, optional sign, digits, an
// optional fraction (rounded half to even), optional spaces. Returns 0 and sets value,
// or the error number (13 not a number, 6 out of range).
int32_t ConvertKeyPart(std::u16string_view part, int32_t& value);

// A text cell in a table block: chars UTF-16LE units, space padded, at any address.
struct CellText {
  const uint8_t* bytes;
  int32_t chars;

  char16_t At(int32_t i) const {
    return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  // The range [begin, end) left after removing leading and trailing spaces.
  void Trimmed(int32_t& begin, int32_t& end) const;
  // Whether every character from i on is a space.
  bool SpacesFrom(int32_t i) const;
  // Exact comparison of the trimmed text with text.
  bool Equals(std::u16string_view text) const;
};

// Compares the key stored in a cell with key (CompareKeys with the cell as key1).
LargerString CompareCellKey(CellText cell, const ParsedKey& key, const char* source);

}  // namespace quarnel::dataapi
