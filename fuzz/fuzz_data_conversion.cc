// Converts any bytes to every value type GetData knows and back, and checks the round
// trips that must hold: arrays and scalars give back their bytes (padded to whole
// elements), and strings give back every byte.
#include "net/DataConversion.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

using quarnel::net::Data;
using quarnel::net::DataFromBytes;
using quarnel::net::DataToBytes;
namespace VarType = quarnel::net::VarType;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static const int32_t kTypes[] = {VarType::kInteger, VarType::kLong,     VarType::kSingle,
                                   VarType::kDouble,  VarType::kCurrency, VarType::kDate,
                                   VarType::kString,  VarType::kBoolean,  VarType::kByte};
  for (int32_t scalar : kTypes) {
    for (int32_t type : {scalar, scalar | VarType::kArray}) {
      std::optional<Data> value = DataFromBytes(type, bytes);
      if (!value || value->Type() != type) std::abort();
      std::optional<std::vector<uint8_t>> back = DataToBytes(*value);
      if (!back) std::abort();
      const bool exact = (type & VarType::kArray) != 0 && scalar != VarType::kString;
      if (type == VarType::kString || exact) {
        // Whole input first, then zero padding to a whole element.
        if (back->size() < size || std::memcmp(back->data(), data, size) != 0) std::abort();
        for (size_t i = size; i < back->size(); ++i) {
          if ((*back)[i] != 0) std::abort();
        }
      }
    }
  }
  return 0;
}
