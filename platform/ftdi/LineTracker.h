// Keeps track of how long the bytes of the current frame need on the line, so that the
// next break is not asserted while the frame's last slots are still leaving the chip.
//
// The device accepts a write while up to a FIFO's worth of bytes is still queued in the
// chip, and a break request acts on the line at once; so the break waits until the
// transmitter reports empty, or, when the device cannot tell, until the frame's line
// time has passed since its first byte was handed over. Either wait is bounded.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace quarnel::ftdi {

class LineTracker {
 public:
  using Nanos = std::chrono::nanoseconds;

  // Longest a break ever waits for the line, whatever was written before it.
  static constexpr Nanos kMaxWait = std::chrono::milliseconds(30);

  // The line's speed: baud rate and bits per byte. 0 baud means unknown (no wait).
  void SetLine(uint32_t baud, uint32_t bits_per_byte) {
    baud_ = baud;
    bits_per_byte_ = bits_per_byte;
  }

  // A write of `bytes` was handed to the device at `start`.
  void OnWrite(Nanos start, uint64_t bytes) {
    if (!frame_open_) {
      frame_open_ = true;
      first_byte_ = start;
      bytes_ = 0;
    }
    bytes_ += bytes;
  }

  // A break begins a new frame.
  void OnBreak() { frame_open_ = false; }

  // Until when a break asked for at `now` must wait at most; `now` when it need not wait.
  Nanos DrainDeadline(Nanos now) const {
    if (!frame_open_ || baud_ == 0) return now;
    // 1e9 ns/s * bytes * bits / baud, in 64 bits: fine for anything below ~10^9 bytes.
    const uint64_t line_ns =
        std::min<uint64_t>(bytes_, 100'000'000) * bits_per_byte_ * 1'000'000'000ull / baud_;
    const Nanos drained = first_byte_ + Nanos(line_ns);
    return std::clamp(drained, now, now + kMaxWait);
  }

  bool FrameOpen() const { return frame_open_; }

 private:
  uint32_t baud_ = 0;
  uint32_t bits_per_byte_ = 10;
  bool frame_open_ = false;
  Nanos first_byte_{0};
  uint64_t bytes_ = 0;
};

}  // namespace quarnel::ftdi
