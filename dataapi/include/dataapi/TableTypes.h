// Enumerations of the table interface, with their fixed values.
#pragma once

#include <cstdint>

namespace quarnel::dataapi {

enum TableDataType : int32_t {
  dataLong = 0,
  dataUnicodeString = 1,
};

// Result of comparing two composite keys.
enum LargerString : int32_t {
  FirstKeyGreaterThan = 0,
  FirstKeyLessThan = 1,
  KeysAreIdentical = 2,
};

// What IndexSeek looks for.
enum FindType : int32_t {
  // The first row equal to the value, else the last row below it.
  FindLeftOrEqual = 0,
  // The first row above the value.
  FindRightAfter = 1,
  // The first row equal to the value.
  FindFirstExact = 2,
  // The last row equal to the value.
  FindLastExact = 3,
};

}  // namespace quarnel::dataapi
