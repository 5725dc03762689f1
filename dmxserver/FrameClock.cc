#include "dmxserver/FrameClock.h"

#include <chrono>

namespace quarnel::dmx {
namespace {
constexpr auto kTickPatience = std::chrono::milliseconds(2);
}  // namespace

FrameClock::FrameClock(platform::EventLoop& loop) : loop_(loop) {}

FrameClock::~FrameClock() {
  for (auto& [key, t] : timers_) {
    if (t.running != 0) loop_.CancelTimer(t.running);
  }
}

void FrameClock::Add(const std::string& key, int32_t interval_ms) {
  SetEnabled(key, false);
  timers_[key] = Named{interval_ms > 0 ? interval_ms : 1, 0, 0};
}

void FrameClock::SetEnabled(const std::string& key, bool enabled) {
  auto it = timers_.find(key);
  if (it == timers_.end()) return;
  Named& t = it->second;
  if (enabled == (t.running != 0)) return;
  if (!enabled) {
    t.missed_before += loop_.MissedTicks(t.running);
    loop_.CancelTimer(t.running);
    t.running = 0;
    return;
  }
  t.running = loop_.RunEvery(std::chrono::milliseconds(t.interval_ms), [this, key] {
    // The tick waits behind the messages already queued, the sockets' news among them,
    // so that a tick that falls due late works with everything that arrived before it;
    // but only briefly: under a flood on a slow machine the frames keep their clock.
    loop_.PostWithin(kTickPatience, [this, key, alive = std::weak_ptr<int>(alive_)] {
      if (alive.expired() || !Enabled(key)) return;
      auto handler = handler_;
      if (handler) handler(key);
    });
  });
}

bool FrameClock::Enabled(const std::string& key) const {
  auto it = timers_.find(key);
  return it != timers_.end() && it->second.running != 0;
}

uint64_t FrameClock::MissedTicks(const std::string& key) const {
  auto it = timers_.find(key);
  if (it == timers_.end()) return 0;
  const Named& t = it->second;
  return t.missed_before + (t.running != 0 ? loop_.MissedTicks(t.running) : 0);
}

}  // namespace quarnel::dmx
