// The two interval bytes of a ramp, from an event length in samples (88,200 a second).
#pragma once

#include <cstdint>

namespace quarnel::dataapi {

struct RampIntervals {
  int32_t first;   // ShortInterval
  int32_t second;  // LongInterval
};

// Length 0 gives (127, 144), 4,410 gives (39, 136), 88,200 gives (1, 250),
// 882,000 gives (128, 51).
RampIntervals CalcRampIntervals(int32_t length);

}  // namespace quarnel::dataapi
