// RowReader: reads the fields of a saved table's current row as the document needs
// them (32-bit integers, text, byte images, numbers), with errors that say which field
// of which table was wrong: a missing field, a null, text where a number belongs.
#pragma once

#include "platform/base/Error.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel {
class Field;
class Recordset;
}  // namespace quarnel

namespace quarnel::dataapi {

class RowReader {
 public:
  // `table` names the table for people: "the sequence file", "the channel table".
  RowReader(Recordset& rs, std::string table, const char* source);

  // Whether the table has the field (any case).
  bool Has(std::string_view field) const;
  // The field, or nullptr when the table lacks it.
  Field* Find(std::string_view field) const;

  // The current row's value of a field; a missing field raises the recordset's
  // item-not-found error.
  int32_t Int(std::string_view field) const;
  int32_t Int(Field* field, std::string_view name) const;
  // Text, characters through the table's code page.
  std::u16string Text(std::string_view field) const;
  // The bytes of a text field exactly as stored: a byte image.
  std::string Bytes(std::string_view field) const;
  // A number as a double (an integer, a double, or text spelling a number).
  double Number(std::string_view field) const;

  // The error with the field and the table added to its description.
  Error InField(const Error& e, std::string_view field) const;

 private:
  Field& Require(std::string_view field) const;

  Recordset* rs_;
  std::string table_;
  const char* source_;
};

// The error with `context` added to its description; number and source are kept.
Error WithContext(const Error& e, std::string_view context);

}  // namespace quarnel::dataapi
