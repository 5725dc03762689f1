// Value: one field value of a recordset, as a caller reads or sets it.
//
// A value is empty (a field of a new row that was never set), null, a 64-bit integer,
// a double, or a run of bytes. Text is held as bytes exactly as stored; turning bytes into
// characters is the business of CodePage, at the edge of the program. The conversions
// follow the rules callers of the recordset library rely on: an empty value reads as 0 or
// "", a null value cannot be converted, and text converts to a number when it spells one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace quarnel {

class Value {
 public:
  enum class Kind : uint8_t { kEmpty, kNull, kInteger, kDouble, kBytes };

  // Constructors: the default value is empty.
  Value() = default;
  static Value Null();
  Value(int32_t v) : data_(int64_t{v}) {}  // NOLINT: values convert implicitly
  Value(int64_t v) : data_(v) {}           // NOLINT
  Value(double v) : data_(v) {}            // NOLINT
  static Value Bytes(std::string bytes);
  static Value Bytes(std::string_view bytes) { return Bytes(std::string(bytes)); }

  // What it holds.
  Kind kind() const;
  bool IsEmpty() const { return kind() == Kind::kEmpty; }
  bool IsNull() const { return kind() == Kind::kNull; }

  // The held value. REQUIRES: kind() is kInteger, kDouble, kBytes respectively.
  int64_t integer() const { return std::get<int64_t>(data_); }
  double real() const { return std::get<double>(data_); }
  const std::string& bytes() const { return std::get<std::string>(data_); }

  // Conversions as a caller makes them, with `source` naming the member for errors.
  // ToInt32: integer in range; double rounded half to even; text holding a decimal number;
  // empty gives 0. Null raises "Invalid use of Null" (94); text that is not a number
  // raises a type mismatch (13); a number out of range raises an overflow (6).
  int32_t ToInt32(const char* source) const;
  // ToBytes: the bytes of text; numbers as decimal text; empty gives "". Null raises 94.
  std::string ToBytes(const char* source) const;

  friend bool operator==(const Value& a, const Value& b) = default;

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) = default;
  };
  explicit Value(NullTag) : data_(NullTag{}) {}

  std::variant<std::monostate, NullTag, int64_t, double, std::string> data_;
};

}  // namespace quarnel
