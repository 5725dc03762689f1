#include "platform/base/Pause.h"

#include <thread>

namespace quarnel::platform {

void PauseUntil(std::chrono::steady_clock::time_point when) {
  std::this_thread::sleep_until(when);
  // Where the sleep ended early (a remainder under a millisecond on Windows), the rest is
  // slept as a whole millisecond: late by less than one, but not busy.
  while (std::chrono::steady_clock::now() < when) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void PauseFor(std::chrono::steady_clock::duration length) {
  PauseUntil(std::chrono::steady_clock::now() + length);
}

}  // namespace quarnel::platform
