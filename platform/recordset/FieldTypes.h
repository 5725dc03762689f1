// The field types and field attributes of the recordset, with the numbers callers of the
// recordset library use, and how each type is stored in memory and in a saved table.
//
// A saved table knows a column by a storage type (DBTYPE_*) and column flags; the
// recordset's own type (adVarChar, adChar, adLongVarChar, ...) follows from the two:
// the long flag makes a text or binary column "long", the fixed-length flag makes it
// fixed, and neither makes it variable.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel {

enum class DataTypeEnum : int32_t {
  adEmpty = 0,
  adSmallInt = 2,
  adInteger = 3,
  adSingle = 4,
  adDouble = 5,
  adCurrency = 6,
  adDate = 7,
  adBoolean = 11,
  adDecimal = 14,
  adTinyInt = 16,
  adUnsignedTinyInt = 17,
  adUnsignedSmallInt = 18,
  adUnsignedInt = 19,
  adBigInt = 20,
  adUnsignedBigInt = 21,
  adFileTime = 64,
  adGUID = 72,
  adBinary = 128,
  adChar = 129,
  adWChar = 130,
  adNumeric = 131,
  adDBDate = 133,
  adDBTime = 134,
  adDBTimeStamp = 135,
  adVarChar = 200,
  adLongVarChar = 201,
  adVarWChar = 202,
  adLongVarWChar = 203,
  adVarBinary = 204,
  adLongVarBinary = 205,
};

// Field attributes; a saved column's flags carry the same bits.
enum FieldAttributeEnum : int32_t {
  adFldUnspecified = -1,
  adFldMayDefer = 0x2,
  adFldUpdatable = 0x4,
  adFldUnknownUpdatable = 0x8,
  adFldFixed = 0x10,
  adFldIsNullable = 0x20,
  adFldMayBeNull = 0x40,
  adFldLong = 0x80,
  adFldRowID = 0x100,
  adFldRowVersion = 0x200,
  adFldCacheDeferred = 0x1000,
  adFldIsChapter = 0x2000,
  adFldNegativeScale = 0x4000,
  adFldKeyColumn = 0x8000,
};

// How a type's values are held.
enum class StorageKind : uint8_t {
  kInt32,     // adInteger: a 32-bit signed integer
  kFixed,     // other fixed-size types: the stored bytes, `fixed_size` long
  kVariable,  // text and binary: a run of bytes with a length
};

struct TypeInfo {
  DataTypeEnum type;
  std::string_view name;  // "adInteger"
  uint16_t db_type;       // storage type in a saved table
  uint32_t fixed_size;    // bytes of a fixed-size value; 0 for text and binary
  StorageKind storage;
  bool wide;      // UTF-16 text: two bytes per character
  bool text;      // character data (single-byte or wide)
  int32_t flags;  // column flags of a field appended with adFldUnspecified
};

// The description of a type, or nullptr for a type the recordset does not hold.
const TypeInfo* FindType(DataTypeEnum type);

// The type a saved column of storage type `db_type` with `flags` has, or nothing when the
// storage type is not one the recordset holds.
std::optional<DataTypeEnum> TypeFromStorage(uint16_t db_type, uint32_t flags);

// Name of a type as the recordset library reports it ("adVarChar"), "" when unknown.
std::string_view TypeName(DataTypeEnum type);

}  // namespace quarnel
