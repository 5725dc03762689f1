#include "dataapi/RampCalc.h"

#include <cmath>

namespace quarnel::dataapi {

RampIntervals CalcRampIntervals(int32_t length) {
  double t = length / 88200.0;
  if (t == 0) t = 0.001;
  double r = 1 / (t / 506);
  double high = std::floor(r / 256);
  double first = high;
  double second = std::nearbyint(r - high * 256);  // ties to even
  if (first > 255) first = 255;
  if (second > 255) second = 255;
  if (first > 127) first = 127;
  if (first == 0) first = 128;
  if (second == 0) second = 128;
  return {static_cast<int32_t>(first), static_cast<int32_t>(second)};
}

}  // namespace quarnel::dataapi
