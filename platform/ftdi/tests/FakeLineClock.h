// A clock for tests: time moves only when someone sleeps or the test advances it.
#pragma once

#include "platform/ftdi/LineClock.h"

#include <algorithm>

namespace quarnel::ftdi {

class FakeLineClock : public LineClock {
 public:
  Nanos Now() override { return now_; }
  void SleepUntil(Nanos when) override { now_ = std::max(now_, when); }
  void Advance(Nanos by) { now_ += by; }

 private:
  Nanos now_{1'000'000'000};
};

}  // namespace quarnel::ftdi
