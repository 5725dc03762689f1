// Array helpers of the library, and the snapshot strings that carry a table's bytes.
//
// A snapshot string holds one character per byte, converted through the single-byte
// code page 1252 (bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page leaves
// unassigned, become U+0081 and so on), so every byte value comes back exactly.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

// A dynamic array has bounds when it holds at least one element.
template <class T>
bool IsArrayDimensioned(const std::vector<T>& array) {
  return !array.empty();
}

// Makes target a copy of source (an empty source empties the target).
void CopyLongArray(const std::vector<int32_t>& source, std::vector<int32_t>& target);

// One character per byte.
std::u16string BytesToString(std::span<const uint8_t> bytes);
// Back to bytes. Returns false, leaving bytes empty, when a character has no byte in
// the code page (the text did not come from BytesToString).
bool StringToBytes(std::u16string_view text, std::vector<uint8_t>& bytes);

}  // namespace quarnel::dataapi
