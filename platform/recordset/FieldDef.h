// FieldDef: what a recordset knows of one field: its name, type, defined size and flags.
// A saved table stores exactly this per column.
#pragma once

#include "platform/recordset/FieldTypes.h"

#include <cstdint>
#include <string>

namespace quarnel {

struct FieldDef {
  std::string name;  // as given (UTF-8); matched without regard to case
  DataTypeEnum type = DataTypeEnum::adInteger;
  // Characters for wide text, bytes for other text and binary, the value size for fixed-size
  // types. 0xFFFFFFFF means unbounded.
  uint32_t defined_size = 4;
  uint32_t flags = 0;  // FieldAttributeEnum bits
  // Numeric precision and scale as a saved table carries them (0 for appended fields).
  uint32_t precision = 0;
  int32_t scale = 0;

  // REQUIRES: type is one FindType knows.
  const TypeInfo& info() const { return *FindType(type); }
  // Largest value in bytes a text or binary field holds (twice the size for wide text).
  uint64_t MaxBytes() const { return static_cast<uint64_t>(defined_size) * (info().wide ? 2 : 1); }
  // A fixed-length text or binary field (adChar, adWChar, adBinary): values are padded.
  bool IsFixedLengthText() const {
    return type == DataTypeEnum::adChar || type == DataTypeEnum::adWChar ||
           type == DataTypeEnum::adBinary;
  }
  // Whether the field may hold null in a committed row of a saved table.
  bool IsNullable() const { return (flags & (adFldIsNullable | adFldMayBeNull)) != 0; }
};

// The field a caller appends: `defined_size` is ignored for fixed-size types, whose size is
// their value's; `attributes` adFldUnspecified gives the usual flags of the type, other
// attributes are added to them. Raises an invalid-argument error for an unknown type or a
// negative size.
FieldDef MakeFieldDef(std::string name, DataTypeEnum type, int64_t defined_size, int32_t attributes,
                      const char* source);

}  // namespace quarnel
