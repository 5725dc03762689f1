// Time as the D2XX layer needs it: a monotonic "now" and a way to wait until a moment.
// The layer waits for the line (a break must not cut the previous frame short) and the
// simulated devices take the time their bytes need; tests drive both with a fake clock.
#pragma once

#include <chrono>

namespace quarnel::ftdi {

class LineClock {
 public:
  using Nanos = std::chrono::nanoseconds;

  virtual ~LineClock() = default;
  virtual Nanos Now() = 0;
  // Returns at `when` or soon after; at once when `when` has passed.
  virtual void SleepUntil(Nanos when) = 0;
};

// The machine's monotonic clock.
class SystemLineClock : public LineClock {
 public:
  Nanos Now() override;
  void SleepUntil(Nanos when) override;
};

}  // namespace quarnel::ftdi
