#include "platform/ftdi/LineClock.h"

#include <thread>

namespace quarnel::ftdi {

LineClock::Nanos SystemLineClock::Now() {
  return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemLineClock::SleepUntil(Nanos when) {
  const std::chrono::steady_clock::time_point deadline(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(when));
  std::this_thread::sleep_until(deadline);
  // Windows sleeps in whole milliseconds and ends a shorter sleep at once, which would cut
  // the break and the mark after it to nothing: what is left (under a millisecond) passes
  // yielding. Linux never wakes early, and the loop ends at once.
  while (std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
}

}  // namespace quarnel::ftdi
