// The frame clock: named periodic timers on the message loop whose tick names the timer
// that fired, as the server's 26 ms frame clock is driven. Ticks fall on a fixed grid
// (previous deadline + interval), so a slow tick or a late wake-up never shifts the
// frames that follow; a tick more than one interval late is skipped and counted, never
// made up in a burst. A tick that falls due runs after the messages already waiting on
// the loop (socket notifications among them), as a timer's message does on Windows, but
// waits for them no more than 2 ms: under a flood on a slow machine it goes first.
//
// Owned by the window; its timers stop when it is destroyed.
#pragma once

#include "platform/loop/EventLoop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace quarnel::dmx {

class FrameClock {
 public:
  explicit FrameClock(platform::EventLoop& loop);
  ~FrameClock();
  FrameClock(const FrameClock&) = delete;
  FrameClock& operator=(const FrameClock&) = delete;

  // Adds a timer, not running yet. A key already there is replaced.
  void Add(const std::string& key, int32_t interval_ms);
  // Starts or stops the timer named `key`; unknown keys are ignored.
  void SetEnabled(const std::string& key, bool enabled);
  bool Enabled(const std::string& key) const;
  // Called with the key of the timer that fired.
  void OnTimer(std::function<void(const std::string& key)> handler) {
    handler_ = std::move(handler);
  }
  // Ticks skipped so far because the loop woke more than an interval late.
  uint64_t MissedTicks(const std::string& key) const;

 private:
  struct Named {
    int32_t interval_ms = 0;
    platform::TimerId running = 0;  // 0: stopped
    uint64_t missed_before = 0;
  };

  platform::EventLoop& loop_;
  std::map<std::string, Named> timers_;
  std::function<void(const std::string&)> handler_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // ticks still queued check it
};

}  // namespace quarnel::dmx
