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
  // the break and the mark after it to nothing. What is left then: a short stretch (the
  // break, the mark) passes yielding, to the microsecond; a longer one (a poll of the
  // line) in sleeps of a millisecond, so that polling does not keep a core busy. Linux
  // never wakes early, and the loop ends at once.
  constexpr auto kYieldBelow = std::chrono::microseconds(200);
  for (auto now = std::chrono::steady_clock::now(); now < deadline;
       now = std::chrono::steady_clock::now()) {
    if (deadline - now > kYieldBelow) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace quarnel::ftdi
