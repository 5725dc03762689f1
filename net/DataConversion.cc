#include "net/DataConversion.h"

#include "net/LineEnd.h"
#include "net/TextCodec.h"

#include <cstring>
#include <string>

namespace quarnel::net {
namespace {

// Elements of `T` from the bytes, little-endian, the last one padded with zeros.
template <typename T>
std::vector<T> Elements(std::string_view bytes) {
  std::vector<T> values((bytes.size() + sizeof(T) - 1) / sizeof(T));
  if (!bytes.empty()) std::memcpy(values.data(), bytes.data(), bytes.size());
  return values;
}

// One value of `T` from at most sizeof(T) bytes.
template <typename T>
T Scalar(std::string_view bytes) {
  T value{};
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof(T)));
  return value;
}

template <typename T>
std::vector<uint8_t> RawBytes(const std::vector<T>& values) {
  std::vector<uint8_t> bytes(values.size() * sizeof(T));
  if (!bytes.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

template <typename T>
std::vector<uint8_t> RawBytes(T value) {
  std::vector<uint8_t> bytes(sizeof(T));
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;
}

std::vector<uint8_t> TextBytes(const std::string& ansi) { return {ansi.begin(), ansi.end()}; }

// The pieces between line ends; the piece after the last line end is the last element.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  // Each turn moves past one line end.
  while (std::optional<LineEnd> end = FindLineEnd(text, start)) {
    lines.push_back(text.substr(start, end->at - start));
    start = end->at + end->length;
  }
  lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

bool IsConvertibleType(int32_t var_type) {
  switch (var_type & ~VarType::kArray) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDate:
    case VarType::kString:
    case VarType::kBoolean:
    case VarType::kByte:
      return (var_type & ~(VarType::kArray | 0xFF)) == 0;
    default:
      return false;
  }
}

size_t ScalarSize(int32_t var_type) {
  switch (var_type) {
    case VarType::kByte:
      return 1;
    case VarType::kInteger:
    case VarType::kBoolean:
      return 2;
    case VarType::kLong:
    case VarType::kSingle:
      return 4;
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDate:
      return 8;
    default:
      return 0;
  }
}

std::optional<Data> DataFromBytes(int32_t var_type, std::string_view bytes) {
  if (!IsConvertibleType(var_type)) return std::nullopt;
  const bool array = (var_type & VarType::kArray) != 0;
  switch (var_type & ~VarType::kArray) {
    case VarType::kByte:
      if (array) return Data::ByteArray({bytes.begin(), bytes.end()});
      return Data::Byte(Scalar<uint8_t>(bytes));
    case VarType::kInteger:
      if (array) return Data::IntegerArray(Elements<int16_t>(bytes));
      return Data::Integer(Scalar<int16_t>(bytes));
    case VarType::kBoolean:
      if (array) return Data::BooleanArray(Elements<int16_t>(bytes));
      return Data::Boolean(Scalar<int16_t>(bytes) != 0);
    case VarType::kLong:
      if (array) return Data::LongArray(Elements<int32_t>(bytes));
      return Data::Long(Scalar<int32_t>(bytes));
    case VarType::kSingle:
      if (array) return Data::SingleArray(Elements<float>(bytes));
      return Data::Single(Scalar<float>(bytes));
    case VarType::kDouble:
      if (array) return Data::DoubleArray(Elements<double>(bytes));
      return Data::Double(Scalar<double>(bytes));
    case VarType::kDate:
      if (array) return Data::DateArray(Elements<double>(bytes));
      return Data::Date(Scalar<double>(bytes));
    case VarType::kCurrency:
      if (array) return Data::CurrencyArray(Elements<int64_t>(bytes));
      return Data::Currency(Scalar<int64_t>(bytes));
    case VarType::kString:
      if (array) return Data::StringArray(SplitLines(AnsiToUtf8(bytes)));
      return Data::String(AnsiToUtf8(bytes));
    default:
      return std::nullopt;
  }
}

std::optional<std::vector<uint8_t>> DataToBytes(const Data& data) {
  const int32_t type = data.Type();
  if (!IsConvertibleType(type)) return std::nullopt;
  const bool array = data.IsArray();
  switch (type & ~VarType::kArray) {
    case VarType::kByte:
      if (array) return data.AsBytes();
      return std::vector<uint8_t>{data.AsByte()};
    case VarType::kInteger:
    case VarType::kBoolean:
      if (array) return RawBytes(data.AsIntegers());
      return RawBytes(data.AsInteger());
    case VarType::kLong:
      if (array) return RawBytes(data.AsLongs());
      return RawBytes(data.AsLong());
    case VarType::kSingle:
      if (array) return RawBytes(data.AsSingles());
      return RawBytes(data.AsSingle());
    case VarType::kDouble:
    case VarType::kDate:
      if (array) return RawBytes(data.AsDoubles());
      return RawBytes(data.AsDouble());
    case VarType::kCurrency:
      if (array) return RawBytes(data.AsCurrencies());
      return RawBytes(data.AsCurrency());
    case VarType::kString:
      if (array) {
        std::string joined;
        const auto& lines = data.AsStrings();
        for (size_t i = 0; i < lines.size(); ++i) {
          if (i > 0) joined += "\r\n";
          joined += lines[i];
        }
        return TextBytes(Utf8ToAnsi(joined));
      }
      return TextBytes(Utf8ToAnsi(data.AsString()));
    default:
      return std::nullopt;
  }
}

}  // namespace quarnel::net
