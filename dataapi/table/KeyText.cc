#include "dataapi/table/KeyText.h"

#include "platform/base/Error.h"

#include <cmath>
#include <string>

namespace quarnel::dataapi {

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

ParsedKey::ParsedKey(std::u16string_view key) {
  // An empty key has no parts.
  if (key.empty()) return;
  size_t start = 0;
  while (true) {
    size_t comma = key.find(u',', start);
    std::u16string_view text = key.substr(
        start, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - start);
    Slot slot{0, 0};
    slot.error = ConvertKeyPart(text, slot.value);
    if (count_ < kInline) {
      inline_[count_] = slot;
    } else {
      more_.push_back(slot);
    }
    ++count_;
    if (comma == std::u16string_view::npos) break;
    start = comma + 1;
  }
}

int32_t ParsedKey::Part(size_t i, const char* source) const {
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

bool CellText::Equals(std::u16string_view text) const {
  int32_t begin, end;
  Trimmed(begin, end);
  if (static_cast<size_t>(end - begin) != text.size()) return false;
  for (int32_t i = begin; i < end; ++i) {
    if (At(i) != text[i - begin]) return false;
  }
  return true;
}

LargerString CompareCellKey(CellText cell, const ParsedKey& key, const char* source) {
  int32_t begin, end;
  cell.Trimmed(begin, end);
  // An empty stored key has no parts and so equals every key.
  if (begin == end) return KeysAreIdentical;
  size_t part = 0;
  int32_t i = begin;
  while (true) {
    // Fast path: plain digits with an optional minus, the form every key builder writes.
    int32_t j = i;
    bool negative = false;
    if (j < end && cell.At(j) == u'-') negative = true, ++j;
    int64_t magnitude = 0;
    int32_t digits = 0;
    while (j < end && digits < 11) {
      char16_t c = cell.At(j);
      if (c < u'0' || c > u'9') break;
      magnitude = magnitude * 10 + (c - u'0');
      ++digits, ++j;
    }
    int32_t a;
    if (digits > 0 && (j == end || cell.At(j) == u',') &&
        (negative ? -magnitude >= INT32_MIN : magnitude <= INT32_MAX)) {
      a = static_cast<int32_t>(negative ? -magnitude : magnitude);
    } else {
      // Anything else goes through the full conversion.
      j = i;
      while (j < end && cell.At(j) != u',') ++j;
      std::u16string text;
      for (int32_t k = i; k < j; ++k) text.push_back(cell.At(k));
      int32_t error = ConvertKeyPart(text, a);
      if (error != 0) throw ErrorOf(error, source);
    }
    int32_t b = key.Part(part, source);
    if (a > b) return FirstKeyGreaterThan;
    if (b > a) return FirstKeyLessThan;
    if (j == end) return KeysAreIdentical;
    i = j + 1;  // past the comma
    ++part;
  }
}

}  // namespace quarnel::dataapi
