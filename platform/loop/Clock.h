// Time as the message loop sees it.
//
// Deadlines are points on the monotonic clock (CLOCK_MONOTONIC on Linux), counted in
// nanoseconds, so that timers neither jump with wall-clock changes nor lose precision.
#pragma once

#include <chrono>
#include <cstdint>

namespace quarnel::platform {

using MonotonicClock = std::chrono::steady_clock;
using TimePoint = MonotonicClock::time_point;
using Duration = std::chrono::nanoseconds;

// Identifies one timer for the life of a loop; ids are never reused.
using TimerId = uint64_t;

}  // namespace quarnel::platform
