#include "platform/recordset/FixedValues.h"

#include "platform/base/Error.h"
#include "platform/recordset/RecordsetErrors.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace quarnel {
namespace {

using D = DataTypeEnum;

template <typename T>
T Load(std::string_view bytes) {
  T v;
  std::memcpy(&v, bytes.data(), sizeof v);  // little-endian host, as the files are
  return v;
}

template <typename T>
std::string Store(T v) {
  std::string out(sizeof v, '\0');
  std::memcpy(out.data(), &v, sizeof v);
  return out;
}

double AsDouble(const Value& v, const char* source) {
  switch (v.kind()) {
    case Value::Kind::kInteger:
      return static_cast<double>(v.integer());
    case Value::Kind::kDouble:
      return v.real();
    default:
      throw recordset_errors::DataConversion(source, "a number is needed");
  }
}

template <typename T>
std::string StoreInteger(const Value& v, const char* source) {
  int64_t i = 0;
  if (v.kind() == Value::Kind::kInteger) {
    i = v.integer();
  } else {
    const double d = std::nearbyint(AsDouble(v, source));
    if (!std::isfinite(d) || std::fabs(d) > 9.2e18) throw Error::Overflow(source);
    i = static_cast<int64_t>(d);
  }
  if constexpr (std::is_unsigned_v<T>) {
    if (i < 0 || static_cast<uint64_t>(i) > std::numeric_limits<T>::max()) {
      throw Error::Overflow(source);
    }
  } else {
    if (i < std::numeric_limits<T>::min() || i > std::numeric_limits<T>::max()) {
      throw Error::Overflow(source);
    }
  }
  return Store(static_cast<T>(i));
}

}  // namespace

Value DecodeFixed(DataTypeEnum type, std::string_view bytes) {
  switch (type) {
    case D::adTinyInt:
      return Value(int64_t{Load<int8_t>(bytes)});
    case D::adUnsignedTinyInt:
      return Value(int64_t{Load<uint8_t>(bytes)});
    case D::adSmallInt:
      return Value(int64_t{Load<int16_t>(bytes)});
    case D::adUnsignedSmallInt:
      return Value(int64_t{Load<uint16_t>(bytes)});
    case D::adInteger:
      return Value(int64_t{Load<int32_t>(bytes)});
    case D::adUnsignedInt:
      return Value(int64_t{Load<uint32_t>(bytes)});
    case D::adBigInt:
      return Value(Load<int64_t>(bytes));
    case D::adUnsignedBigInt: {
      const uint64_t u = Load<uint64_t>(bytes);
      if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        return Value(static_cast<double>(u));
      }
      return Value(static_cast<int64_t>(u));
    }
    case D::adBoolean:
      return Value(int64_t{Load<int16_t>(bytes) != 0 ? -1 : 0});
    case D::adSingle:
      return Value(static_cast<double>(Load<float>(bytes)));
    case D::adDouble:
    case D::adDate:
      return Value(Load<double>(bytes));
    case D::adCurrency:
      return Value(static_cast<double>(Load<int64_t>(bytes)) / 10000.0);
    default:
      return Value::Bytes(std::string(bytes));
  }
}

std::string EncodeFixed(DataTypeEnum type, const Value& value, const char* source) {
  switch (type) {
    case D::adTinyInt:
      return StoreInteger<int8_t>(value, source);
    case D::adUnsignedTinyInt:
      return StoreInteger<uint8_t>(value, source);
    case D::adSmallInt:
      return StoreInteger<int16_t>(value, source);
    case D::adUnsignedSmallInt:
      return StoreInteger<uint16_t>(value, source);
    case D::adInteger:
      return StoreInteger<int32_t>(value, source);
    case D::adUnsignedInt:
      return StoreInteger<uint32_t>(value, source);
    case D::adBigInt:
      return StoreInteger<int64_t>(value, source);
    case D::adUnsignedBigInt:
      return StoreInteger<uint64_t>(value, source);
    case D::adBoolean:
      return Store(static_cast<int16_t>(AsDouble(value, source) != 0 ? -1 : 0));
    case D::adSingle:
      return Store(static_cast<float>(AsDouble(value, source)));
    case D::adDouble:
    case D::adDate:
      return Store(AsDouble(value, source));
    case D::adCurrency: {
      const double scaled = std::nearbyint(AsDouble(value, source) * 10000.0);
      if (!std::isfinite(scaled) || std::fabs(scaled) > 9.2e18) throw Error::Overflow(source);
      return Store(static_cast<int64_t>(scaled));
    }
    default:
      break;
  }
  const TypeInfo* info = FindType(type);
  if (value.kind() != Value::Kind::kBytes || !info || value.bytes().size() != info->fixed_size) {
    throw recordset_errors::DataConversion(source, std::string(TypeName(type)) + " takes exactly " +
                                                       std::to_string(info ? info->fixed_size : 0) +
                                                       " bytes");
  }
  return value.bytes();
}

}  // namespace quarnel
