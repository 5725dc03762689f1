// Composite keys: decimal numbers joined by "," (0,3,17 or 0,3,17,88200), compared
// number by number, so 1,10 sorts after 1,9 and 2 before 10.
#pragma once

#include "dataapi/TableTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::dataapi {

// "Network,Device,Channel", the key of a channel address.
std::u16string MakeNDCKey(int32_t network, int32_t device, int32_t channel);
// "Network,Device,Channel,SampleNumber", the key of an event.
std::u16string MakeNDCSKey(int32_t network, int32_t device, int32_t channel, int32_t sample_number);

// Compares key1 with key2 part by part over the parts of key1. Raises 13 for a part
// that is not a number, 6 for one outside the 32-bit range, 9 when key2 has fewer parts.
LargerString CompareKeys(std::u16string_view key1, std::u16string_view key2);

}  // namespace quarnel::dataapi
