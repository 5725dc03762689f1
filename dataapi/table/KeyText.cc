#include "dataapi/table/KeyText.h"

#include "platform/base/Error.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

namespace quarnel::dataapi {

// Cells hold UTF-16LE; key texts are compared with them byte for byte.
static_assert(std::endian::native == std::endian::little);

void KeyBuffer::Append(int32_t part) {
  if (length_ > 0) text_[length_++] = u',';
  char16_t digits[12];
  int n = 0;
  int64_t v = part;
  bool negative = v < 0;
  if (negative) v = -v;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (negative) text_[length_++] = u'-';
  while (n > 0) text_[length_++] = digits[--n];
}

int32_t ConvertKeyPart(std::u16string_view part, int32_t& value) {
  size_t i = 0, n = part.size();
  {
    // The usual form: an optional minus and up to ten digits.
    size_t j = n > 0 && part[0] == u'-' ? 1 : 0;
    if (n > j && n - j <= 10) {
      int64_t v = 0;
      size_t k = j;
      while (k < n && part[k] >= u'0' && part[k] <= u'9') v = v * 10 + (part[k++] - u'0');
      if (k == n) {
        if (j) v = -v;
        if (v < INT32_MIN || v > INT32_MAX) return Error::kOverflow;
        value = static_cast<int32_t>(v);
        return 0;
      }
    }
  }
  auto is_space = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (i < n && is_space(part[i])) ++i;
  bool negative = false;
  if (i < n && (part[i] == u'-' || part[i] == u'+')) negative = part[i++] == u'-';
  // Digits accumulate in a double once past the 64-bit range; anything that large
  // overflows anyway.
  double magnitude = 0;
  bool any_digit = false;
  while (i < n && part[i] >= u'0' && part[i] <= u'9') {
    magnitude = magnitude * 10 + (part[i++] - u'0');
    any_digit = true;
  }
  double fraction = 0, scale = 1;
  if (i < n && part[i] == u'.') {
    ++i;
    while (i < n && part[i] >= u'0' && part[i] <= u'9') {
      scale /= 10;
      fraction += (part[i++] - u'0') * scale;
      any_digit = true;
    }
  }
  while (i < n && is_space(part[i])) ++i;
  if (!any_digit || i != n) return Error::kTypeMismatch;
  double v = std::nearbyint(magnitude + fraction);  // ties to even
  if (negative) v = -v;
  if (v < -2147483648.0 || v > 2147483647.0) return Error::kOverflow;
  value = static_cast<int32_t>(v);
  return 0;
}

namespace {

Error ErrorOf(int32_t number, const char* source) {
  return number == Error::kOverflow ? Error::Overflow(source) : Error::TypeMismatch(source);
}

}  // namespace

ParsedKey::ParsedKey(std::u16string_view key) : text_(key) {
  // An empty key has no parts.
  if (key.empty()) return;
  size_t start = 0;
  bool all_valid = true;
  while (true) {
    size_t comma = key.find(u',', start);
    std::u16string_view text = key.substr(
        start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start);
    Slot slot{0, 0};
    slot.error = ConvertKeyPart(text, slot.value);
    all_valid = all_valid && slot.error == 0;
    if (count_ < kInline) {
      inline_[count_] = slot;
      starts_[count_] = comma == std::u16string_view::npos ? key.size() : comma + 1;
      if (all_valid) valid_leading_ = count_ + 1;
    } else {
      more_.push_back(slot);
    }
    ++count_;
    if (comma == std::u16string_view::npos) break;
    start = comma + 1;
  }
}

void ParsedKey::WholePartsWithin(size_t m, size_t& parts, size_t& next_start) const {
  parts = 0;
  next_start = 0;
  size_t limit = std::min(valid_leading_, std::min(count_, kInline));
  // A part counts when its comma lies inside the first m characters.
  while (parts < limit && starts_[parts] <= m && starts_[parts] <= text_.size() &&
         text_[starts_[parts] - 1] == u',') {
    next_start = starts_[parts];
    ++parts;
  }
}

int32_t ParsedKey::PartOrThrow(size_t i, const char* source) const {
  if (i >= count_) throw Error::SubscriptOutOfRange(source);
  const Slot& slot = i < kInline ? inline_[i] : more_[i - kInline];
  if (slot.error != 0) throw ErrorOf(slot.error, source);
  return slot.value;
}

void CellText::Trimmed(int32_t& begin, int32_t& end) const {
  begin = 0;
  end = chars;
  while (end > 0 && At(end - 1) == u' ') --end;
  while (begin < end && At(begin) == u' ') ++begin;
}

bool CellText::SpacesFrom(int32_t i) const {
  // Four characters at a time: the padding behind a key is most of a cell.
  static constexpr uint64_t kFourSpaces = 0x0020002000200020ull;
  for (; i + 4 <= chars; i += 4) {
    uint64_t four;
    std::memcpy(&four, bytes + 2 * i, 8);
    if (four != kFourSpaces) return false;
  }
  for (; i < chars; ++i) {
    if (At(i) != u' ') return false;
  }
  return true;
}

bool CellText::Equals(std::u16string_view text) const {
  int32_t i = 0;
  while (i < chars && At(i) == u' ') ++i;
  if (text.empty()) return i == chars;  // only a cell of spaces reads as ""
  // The text itself may start or end with spaces; then it never equals a trimmed cell.
  if (text.front() == u' ' || text.back() == u' ') return false;
  if (static_cast<size_t>(chars - i) < text.size()) return false;
  for (char16_t c : text) {
    if (At(i++) != c) return false;
  }
  return SpacesFrom(i);
}

namespace {

// The general comparison, from part `part` that starts at `i`, over the trimmed cell.
LargerString CompareSlow(CellText cell, int32_t i, size_t part, const ParsedKey& key,
                         const char* source) {
  int32_t begin, end;
  cell.Trimmed(begin, end);
  while (true) {
    int32_t j = i;
    while (j < end && cell.At(j) != u',') ++j;
    std::u16string text;
    for (int32_t k = i; k < j; ++k) text.push_back(cell.At(k));
    int32_t a = 0;
    int32_t error = ConvertKeyPart(text, a);
    if (error != 0) throw ErrorOf(error, source);
    int32_t b = key.Part(part, source);
    if (a > b) return FirstKeyGreaterThan;
    if (b > a) return FirstKeyLessThan;
    if (j >= end) return KeysAreIdentical;
    i = j + 1;
    ++part;
  }
}

}  // namespace

LargerString CompareCellKey(CellText cell, const ParsedKey& key, const char* source) {
  const int32_t chars = cell.chars;
  int32_t i = 0;
  while (i < chars && cell.At(i) == u' ') ++i;
  // An empty stored key has no parts and so equals every key.
  if (i == chars) return KeysAreIdentical;
  // Parts that read the same in both texts are equal: skip to the first one that
  // differs, eight bytes at a time.
  const std::u16string_view text = key.Text();
  const size_t room = std::min(static_cast<size_t>(chars - i), text.size());
  size_t m = 0;
  while (m + 4 <= room) {
    uint64_t a, b;
    std::memcpy(&a, cell.bytes + 2 * (i + m), 8);
    std::memcpy(&b, text.data() + m, 8);
    if (a != b) break;
    m += 4;
  }
  while (m < room && cell.At(i + static_cast<int32_t>(m)) == text[m]) ++m;
  size_t part = 0, skip = 0;
  key.WholePartsWithin(m, part, skip);
  i += static_cast<int32_t>(skip);
  while (true) {
    // Plain digits with an optional minus, the form every key builder writes, are read
    // in place; anything else goes through the general conversion.
    int32_t j = i;
    bool negative = false;
    if (j < chars && cell.At(j) == u'-') negative = true, ++j;
    int64_t magnitude = 0;
    int32_t digits = 0;
    char16_t c = 0;
    while (j < chars && digits < 11) {
      c = cell.At(j);
      if (c < u'0' || c > u'9') break;
      magnitude = magnitude * 10 + (c - u'0');
      ++digits, ++j;
    }
    const bool at_end = j == chars;
    const bool plain = digits > 0 && (negative ? -magnitude >= INT32_MIN : magnitude <= INT32_MAX);
    bool last_part;
    if (plain && !at_end && c == u',') {
      last_part = false;
    } else if (plain && (at_end || (c == u' ' && cell.SpacesFrom(j)))) {
      last_part = true;
    } else {
      return CompareSlow(cell, i, part, key, source);
    }
    int32_t a = static_cast<int32_t>(negative ? -magnitude : magnitude);
    int32_t b = key.Part(part, source);
    if (a > b) return FirstKeyGreaterThan;
    if (b > a) return FirstKeyLessThan;
    if (last_part) return KeysAreIdentical;
    i = j + 1;  // past the comma
    ++part;
  }
}

}  // namespace quarnel::dataapi
