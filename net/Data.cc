#include "net/Data.h"

#include "platform/base/Error.h"

namespace quarnel::net {

template <typename T>
const T& Data::Get() const {
  if (const T* value = std::get_if<T>(&value_)) return *value;
  throw Error::TypeMismatch("Data");
}

int16_t Data::AsInteger() const {
  if (type_ != VarType::kInteger && type_ != VarType::kBoolean) throw Error::TypeMismatch("Data");
  return static_cast<int16_t>(Get<int64_t>());
}

int32_t Data::AsLong() const {
  switch (type_) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kBoolean:
    case VarType::kByte:
      return static_cast<int32_t>(Get<int64_t>());
    default:
      throw Error::TypeMismatch("Data");
  }
}

float Data::AsSingle() const {
  if (type_ != VarType::kSingle) throw Error::TypeMismatch("Data");
  return static_cast<float>(Get<double>());
}

double Data::AsDouble() const {
  if (type_ != VarType::kSingle && type_ != VarType::kDouble && type_ != VarType::kDate) {
    throw Error::TypeMismatch("Data");
  }
  return Get<double>();
}

int64_t Data::AsCurrency() const {
  if (type_ != VarType::kCurrency) throw Error::TypeMismatch("Data");
  return Get<int64_t>();
}

bool Data::AsBoolean() const {
  if (type_ != VarType::kBoolean) throw Error::TypeMismatch("Data");
  return Get<int64_t>() != 0;
}

uint8_t Data::AsByte() const {
  if (type_ != VarType::kByte) throw Error::TypeMismatch("Data");
  return static_cast<uint8_t>(Get<int64_t>());
}

const std::string& Data::AsString() const { return Get<std::string>(); }
const std::vector<uint8_t>& Data::AsBytes() const { return Get<std::vector<uint8_t>>(); }
const std::vector<int16_t>& Data::AsIntegers() const { return Get<std::vector<int16_t>>(); }
const std::vector<int32_t>& Data::AsLongs() const { return Get<std::vector<int32_t>>(); }
const std::vector<float>& Data::AsSingles() const { return Get<std::vector<float>>(); }
const std::vector<double>& Data::AsDoubles() const { return Get<std::vector<double>>(); }
const std::vector<int64_t>& Data::AsCurrencies() const { return Get<std::vector<int64_t>>(); }
const std::vector<std::string>& Data::AsStrings() const { return Get<std::vector<std::string>>(); }

}  // namespace quarnel::net
