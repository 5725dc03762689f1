#include "platform/ftdi/LineClock.h"

#include <thread>

namespace quarnel::ftdi {

LineClock::Nanos SystemLineClock::Now() {
  return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

void SystemLineClock::SleepUntil(Nanos when) {
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(when)));
}

}  // namespace quarnel::ftdi
