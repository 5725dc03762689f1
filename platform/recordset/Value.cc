#include "platform/recordset/Value.h"

#include "platform/base/Error.h"
#include "platform/recordset/RecordsetErrors.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace quarnel {
namespace {

// Rounds half to even and checks the 32-bit range, as a conversion to a long does.
int32_t DoubleToInt32(double d, const char* source) {
  if (!std::isfinite(d)) throw Error::Overflow(source);
  const double r = std::nearbyint(d);  // the default rounding mode is to nearest, ties even
  if (r < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<int32_t>::max())) {
    throw Error::Overflow(source);
  }
  return static_cast<int32_t>(r);
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

Value Value::Null() { return Value(NullTag{}); }

Value Value::Bytes(std::string bytes) {
  Value v;
  v.data_ = std::move(bytes);
  return v;
}

Value::Kind Value::kind() const {
  switch (data_.index()) {
    case 0:
      return Kind::kEmpty;
    case 1:
      return Kind::kNull;
    case 2:
      return Kind::kInteger;
    case 3:
      return Kind::kDouble;
    default:
      return Kind::kBytes;
  }
}

int32_t Value::ToInt32(const char* source) const {
  switch (kind()) {
    case Kind::kEmpty:
      return 0;
    case Kind::kNull:
      throw recordset_errors::InvalidUseOfNull(source);
    case Kind::kInteger: {
      const int64_t v = std::get<int64_t>(data_);
      if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
        throw Error::Overflow(source);
      }
      return static_cast<int32_t>(v);
    }
    case Kind::kDouble:
      return DoubleToInt32(std::get<double>(data_), source);
    case Kind::kBytes:
      break;
  }
  const std::string_view text = TrimSpaces(bytes());
  if (text.empty()) throw Error::TypeMismatch(source);
  int64_t whole = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), whole);
  if (ec == std::errc() && end == text.data() + text.size()) {
    return Value(whole).ToInt32(source);
  }
  double d = 0;
  auto [dend, dec] = std::from_chars(text.data(), text.data() + text.size(), d);
  if (dend != text.data() + text.size()) throw Error::TypeMismatch(source);
  if (dec == std::errc::result_out_of_range) throw Error::Overflow(source);
  if (dec != std::errc()) throw Error::TypeMismatch(source);
  return DoubleToInt32(d, source);
}

std::string Value::ToBytes(const char* source) const {
  switch (kind()) {
    case Kind::kEmpty:
      return {};
    case Kind::kNull:
      throw recordset_errors::InvalidUseOfNull(source);
    case Kind::kInteger:
      return std::to_string(std::get<int64_t>(data_));
    case Kind::kDouble: {
      char buf[32];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::get<double>(data_));
      return std::string(buf, ec == std::errc() ? end : buf);
    }
    case Kind::kBytes:
      break;
  }
  return bytes();
}

}  // namespace quarnel
