#include "net/Data.h"
#include "net/DataConversion.h"
#include "platform/base/Error.h"

#include <string>

#include <gtest/gtest.h>

namespace quarnel::net {
namespace {

using namespace std::string_literals;

Data From(int32_t type, const std::string& bytes) {
  std::optional<Data> data = DataFromBytes(type, bytes);
  if (!data) {
    ADD_FAILURE() << "type " << type;
    return Data();
  }
  return std::move(*data);
}

std::string Bytes(const Data& data) {
  auto bytes = DataToBytes(data);
  EXPECT_TRUE(bytes.has_value());
  return bytes ? std::string(bytes->begin(), bytes->end()) : "";
}

TEST(DataConversionTest, ArraysGetOneElementPerUnitRoundedUp) {
  std::string frame(513, '\0');
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<char>(i & 0xFF);
  Data bytes = From(VarType::kByteArray, frame);
  ASSERT_EQ(bytes.AsBytes().size(), 513u);
  EXPECT_EQ(bytes.AsBytes()[1], 1);
  EXPECT_EQ(bytes.AsBytes()[512], 0);

  const std::string five = "\x01\x02\x03\x04\x05"s;
  EXPECT_EQ(From(VarType::kInteger | VarType::kArray, five).AsIntegers(),
            (std::vector<int16_t>{0x0201, 0x0403, 0x0005}));
  EXPECT_EQ(From(VarType::kLong | VarType::kArray, five).AsLongs(),
            (std::vector<int32_t>{0x04030201, 0x05}));
  EXPECT_EQ(From(VarType::kDouble | VarType::kArray, five).AsDoubles().size(), 1u);
  EXPECT_EQ(From(VarType::kCurrency | VarType::kArray, std::string(9, 'a')).AsCurrencies().size(),
            2u);
  EXPECT_EQ(From(VarType::kBoolean | VarType::kArray, "\x01\x00\x00\x00"s).AsIntegers(),
            (std::vector<int16_t>{1, 0}));
}

TEST(DataConversionTest, ScalarsComeFromAtMostTheirSizeLittleEndian) {
  const std::string ten = "\x78\x56\x34\x12\xAA\xBB\xCC\xDD\xEE\xFF"s;
  EXPECT_EQ(From(VarType::kLong, ten).AsLong(), 0x12345678);
  EXPECT_EQ(From(VarType::kInteger, ten).AsInteger(), 0x5678);
  EXPECT_EQ(From(VarType::kByte, ten).AsByte(), 0x78);
  EXPECT_EQ(From(VarType::kLong, "\x05"s).AsLong(), 5);  // short input: zero-filled
  EXPECT_TRUE(From(VarType::kBoolean, "\x00\x01"s).AsBoolean());
  EXPECT_FALSE(From(VarType::kBoolean, "\x00\x00"s).AsBoolean());
  EXPECT_EQ(From(VarType::kSingle, Bytes(Data::Single(1.5f))).AsSingle(), 1.5f);
  EXPECT_EQ(From(VarType::kDate, Bytes(Data::Date(45000.25))).AsDouble(), 45000.25);
  EXPECT_EQ(From(VarType::kCurrency, Bytes(Data::Currency(-123456789))).AsCurrency(), -123456789);
}

TEST(DataConversionTest, StringArraysSplitAtEveryLineEnd) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\nc", {"a", "b", "c"}},
      {"a\nb\nc", {"a", "b", "c"}},
      {"a\rb\rc", {"a", "b", "c"}},
      {"a\r\n", {"a", ""}},
      {"a\nb\r\nc", {"a", "b", "c"}},  // each line ends at its own first line end
      {"a\r\r\nb\n\rc", {"a", "", "b", "", "c"}},
      {"no line end", {"no line end"}},
      {"\xE9t\xE9\nx", {"\xC3\xA9t\xC3\xA9", "x"}},  // ANSI text comes out as UTF-8
  };
  for (const Case& c : cases) {
    EXPECT_EQ(From(VarType::kString | VarType::kArray, c.bytes).AsStrings(), c.lines) << c.bytes;
  }
}

TEST(DataConversionTest, SendingConvertsBackToTheSameBytes) {
  EXPECT_EQ(Bytes(Data::Long(7)), "\x07\x00\x00\x00"s);
  EXPECT_EQ(Bytes(Data::Integer(-2)), "\xFE\xFF"s);
  EXPECT_EQ(Bytes(Data::Boolean(true)), "\xFF\xFF"s);
  EXPECT_EQ(Bytes(Data::Byte(9)), "\x09"s);
  EXPECT_EQ(Bytes(Data::String("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD")), "caf\xE9 \x80 ?"s);
  EXPECT_EQ(Bytes(Data::StringArray({"a", "b"})), "a\r\nb"s);
  EXPECT_EQ(Bytes(Data::LongArray({1, 2})), "\x01\x00\x00\x00\x02\x00\x00\x00"s);
  // Every byte survives the trip through ANSI text and back.
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Bytes(From(VarType::kString, all)), all);
}

TEST(DataConversionTest, OnlyTheListedTypesConvert) {
  for (int32_t type : {0, 1, 9, 10, 12, 13, 14, 36, 8192, 8204, 0x4000 | 17, 17 | 0x100}) {
    EXPECT_FALSE(IsConvertibleType(type)) << type;
    EXPECT_FALSE(DataFromBytes(type, "abcd").has_value()) << type;
  }
  EXPECT_FALSE(DataToBytes(Data()).has_value());
  EXPECT_THROW(Data::Long(1).AsString(), Error);
}

}  // namespace
}  // namespace quarnel::net
