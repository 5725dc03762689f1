// ColumnLayout: how one column's values are laid out in the rows of a saved table, from
// the column's type, maximum length and flags. Reader and writer share it so that both
// follow the same rules:
//   - adInteger and other fixed-size types: exactly their size, no length;
//   - text and binary up to 255 bytes wide: fixed-length columns exactly that wide with
//     no length, others a 1-byte length and the bytes;
//   - wider text and binary (also fixed-length ones, and unbounded ones): a 4-byte length.
// The width counts bytes: a wide text column of n characters is 2n bytes wide.
#pragma once

#include "platform/recordset/FieldDef.h"

#include <cstdint>

namespace quarnel::adtg {

struct ColumnLayout {
  enum class Encoding : uint8_t { kInt32, kFixed, kExact, kLength8, kLength32 };
  Encoding encoding;
  uint64_t width;  // bytes: the value size, or the most a text or binary value may hold
  bool nullable;   // has a bit in the presence map of committed rows
  bool wide;       // wide text: lengths are even
};

ColumnLayout LayoutOf(const FieldDef& def);

}  // namespace quarnel::adtg
