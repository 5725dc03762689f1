// Conversion between the stored bytes of fixed-size values (everything but adInteger,
// which has its own fast storage) and Values. Numbers come out as integers or doubles;
// types without a plain number (GUIDs, dates as structures, decimals) come out as their
// stored bytes, which is also what they take back.
#pragma once

#include "platform/recordset/FieldTypes.h"
#include "platform/recordset/Value.h"

#include <string>
#include <string_view>

namespace quarnel {

// REQUIRES: bytes.size() == FindType(type)->fixed_size.
Value DecodeFixed(DataTypeEnum type, std::string_view bytes);

// The stored bytes of `value` for a field of `type`. Raises a conversion error for a value
// the type cannot take and an overflow for a number out of the type's range.
// REQUIRES: value is not empty or null.
std::string EncodeFixed(DataTypeEnum type, const Value& value, const char* source);

}  // namespace quarnel
