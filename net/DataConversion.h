// The conversions between received bytes and Data values, both ways.
//
// Bytes to Data: arrays get one element per byte, per 2, 4 or 8 bytes (rounded up, the
// last element padded with zeros); scalars come from at most their size in bytes,
// little-endian; String is ANSI text; a String array is that text cut into lines at every
// line end (LineEnd.h), or one element without one.
// Data to bytes is the reverse: raw little-endian bytes, ANSI text, and the elements of a
// String array joined by CR LF.
#pragma once

#include "net/Data.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quarnel::net {

// Whether GetData and SendData handle values of this type.
bool IsConvertibleType(int32_t var_type);
// The bytes a scalar of this type is made of (1, 2, 4 or 8); 0 for strings and arrays.
size_t ScalarSize(int32_t var_type);
// A value of type `var_type` from `bytes`; none for types that are not convertible.
std::optional<Data> DataFromBytes(int32_t var_type, std::string_view bytes);
// The bytes that stand for `data`; none for types that are not convertible.
std::optional<std::vector<uint8_t>> DataToBytes(const Data& data);

}  // namespace quarnel::net
