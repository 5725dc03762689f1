// Data: the value GetData fills and SendData sends.
//
// A small closed set of value kinds, numbered as variant types are (VarType): the
// scalars Integer (16-bit), Long (32-bit), Single, Double, Currency (64-bit, scaled by
// 10 000), Date (a double), Boolean and Byte; String; and arrays of bytes, 16-bit and
// 32-bit integers, Booleans, singles, doubles, currencies, dates and strings. Text is
// UTF-8. An empty Data has type kEmpty; GetData then produces the type it is asked for.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quarnel::net {

// Variant type numbers: a scalar type, or a scalar type plus kArray for its array.
namespace VarType {
constexpr int32_t kEmpty = 0;
constexpr int32_t kInteger = 2;
constexpr int32_t kLong = 3;
constexpr int32_t kSingle = 4;
constexpr int32_t kDouble = 5;
constexpr int32_t kCurrency = 6;
constexpr int32_t kDate = 7;
constexpr int32_t kString = 8;
constexpr int32_t kBoolean = 11;
constexpr int32_t kByte = 17;
constexpr int32_t kArray = 0x2000;
constexpr int32_t kByteArray = kByte | kArray;
}  // namespace VarType

class Data {
 public:
  Data() = default;

  // --- Scalars and strings
  static Data Integer(int16_t value) { return Data(VarType::kInteger, int64_t{value}); }
  static Data Long(int32_t value) { return Data(VarType::kLong, int64_t{value}); }
  static Data Single(float value) { return Data(VarType::kSingle, double{value}); }
  static Data Double(double value) { return Data(VarType::kDouble, value); }
  static Data Currency(int64_t scaled) { return Data(VarType::kCurrency, scaled); }
  static Data Date(double value) { return Data(VarType::kDate, value); }
  static Data Boolean(bool value) { return Data(VarType::kBoolean, int64_t{value ? -1 : 0}); }
  static Data Byte(uint8_t value) { return Data(VarType::kByte, int64_t{value}); }
  static Data String(std::string text) { return Data(VarType::kString, std::move(text)); }

  // --- Arrays (zero-based)
  static Data ByteArray(std::vector<uint8_t> values) {
    return Data(VarType::kByteArray, std::move(values));
  }
  static Data IntegerArray(std::vector<int16_t> values) {
    return Data(VarType::kInteger | VarType::kArray, std::move(values));
  }
  static Data BooleanArray(std::vector<int16_t> values) {
    return Data(VarType::kBoolean | VarType::kArray, std::move(values));
  }
  static Data LongArray(std::vector<int32_t> values) {
    return Data(VarType::kLong | VarType::kArray, std::move(values));
  }
  static Data SingleArray(std::vector<float> values) {
    return Data(VarType::kSingle | VarType::kArray, std::move(values));
  }
  static Data DoubleArray(std::vector<double> values) {
    return Data(VarType::kDouble | VarType::kArray, std::move(values));
  }
  static Data CurrencyArray(std::vector<int64_t> values) {
    return Data(VarType::kCurrency | VarType::kArray, std::move(values));
  }
  static Data DateArray(std::vector<double> values) {
    return Data(VarType::kDate | VarType::kArray, std::move(values));
  }
  static Data StringArray(std::vector<std::string> values) {
    return Data(VarType::kString | VarType::kArray, std::move(values));
  }

  int32_t Type() const { return type_; }
  bool IsEmpty() const { return type_ == VarType::kEmpty; }
  bool IsArray() const { return (type_ & VarType::kArray) != 0; }

  // --- Reading. Each raises a type mismatch (13, "Data") for a Data of another type.
  int16_t AsInteger() const;  // Integer or Boolean (-1 True, 0 False)
  int32_t AsLong() const;     // any integer scalar
  float AsSingle() const;
  double AsDouble() const;  // Single, Double or Date
  int64_t AsCurrency() const;
  bool AsBoolean() const;
  uint8_t AsByte() const;
  const std::string& AsString() const;
  const std::vector<uint8_t>& AsBytes() const;
  const std::vector<int16_t>& AsIntegers() const;  // Integer or Boolean arrays
  const std::vector<int32_t>& AsLongs() const;
  const std::vector<float>& AsSingles() const;
  const std::vector<double>& AsDoubles() const;  // Double or Date arrays
  const std::vector<int64_t>& AsCurrencies() const;
  const std::vector<std::string>& AsStrings() const;

  friend bool operator==(const Data&, const Data&) = default;

 private:
  using Storage = std::variant<std::monostate, int64_t, double, std::string, std::vector<uint8_t>,
                               std::vector<int16_t>, std::vector<int32_t>, std::vector<float>,
                               std::vector<double>, std::vector<int64_t>, std::vector<std::string>>;

  template <typename T>
  Data(int32_t type, T value) : type_(type), value_(std::move(value)) {}
  template <typename T>
  const T& Get() const;

  int32_t type_ = VarType::kEmpty;
  Storage value_;
};

}  // namespace quarnel::net
