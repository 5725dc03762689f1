// What the DMX output server keeps between datagrams and frame ticks: the current frame
// (DMXData), the channel under test (TestChannel) and when the last frame arrived
// (LastFrameTime), with the rules for the datagrams (dmxserver/DatagramFormat.h) and for
// going dark when frames stop.
//
// The output frame is DMXData with channel TestChannel at 255 when that is 1 to
// kHighestTestChannel. More than 10 seconds without a frame sets DMXData to zeros, and
// the check repeats every further 10 seconds. Plain data; the window's handlers call it on the
// loop's thread.
#pragma once

#include "dmxserver/DatagramFormat.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

namespace quarnel::dmx {

using SteadyTime = std::chrono::steady_clock::time_point;

enum class DataDatagram { kShutdown, kFrame, kIgnored };

// How a datagram on the data port is handled, by the byte count the socket reports.
DataDatagram ClassifyDataDatagram(int64_t bytes_total);
// Whether a datagram on the diagnostics port is a test command.
bool IsTestDatagram(int64_t bytes_total);

class FrameState {
 public:
  static constexpr std::chrono::seconds kBlackoutAfter{10};

  const Frame& DMXData() const { return dmx_data_; }
  int32_t TestChannel() const { return test_channel_; }
  std::optional<SteadyTime> LastFrameTime() const { return last_frame_time_; }

  // A frame datagram as read from the socket: taken only when it is exactly a frame's size.
  bool TakeFrame(std::span<const uint8_t> datagram, SteadyTime now);
  // A test command as read: taken only when it is a test's size and its value fits.
  bool TakeTest(std::span<const uint8_t> datagram);
  // The frame to send: DMXData with the test channel at full.
  Frame OutputFrame() const;
  // After a tick: goes dark when the last frame is more than 10 s old (or none came
  // yet); true when it did.
  bool BlackoutCheck(SteadyTime now);

 private:
  Frame dmx_data_{};
  int32_t test_channel_ = 0;
  std::optional<SteadyTime> last_frame_time_;
};

}  // namespace quarnel::dmx
