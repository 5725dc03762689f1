// Pauses that last at least as long as asked. The C++ library's sleep on Windows sleeps in
// whole milliseconds and ends a shorter sleep at once, so a loop that polls every few
// hundred microseconds would keep a core busy there; these never return early and never
// spin: what is left of a pause is slept in whole milliseconds at least.
#pragma once

#include <chrono>

namespace quarnel::platform {

void PauseUntil(std::chrono::steady_clock::time_point when);
void PauseFor(std::chrono::steady_clock::duration length);

}  // namespace quarnel::platform
