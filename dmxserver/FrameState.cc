#include "dmxserver/FrameState.h"

#include <algorithm>

namespace quarnel::dmx {

DataDatagram ClassifyDataDatagram(int64_t bytes_total) {
  if (bytes_total == static_cast<int64_t>(kShutdownDatagramSize)) return DataDatagram::kShutdown;
  if (bytes_total > static_cast<int64_t>(kChannelCount)) return DataDatagram::kFrame;
  return DataDatagram::kIgnored;
}

bool IsTestDatagram(int64_t bytes_total) {
  return bytes_total == static_cast<int64_t>(kTestDatagramSize);
}

bool FrameState::TakeFrame(std::span<const uint8_t> datagram, SteadyTime now) {
  if (datagram.size() != kFrameDatagramSize) return false;
  std::copy(datagram.begin() + 1, datagram.end(), dmx_data_.begin());
  last_frame_time_ = now;
  return true;
}

bool FrameState::TakeTest(std::span<const uint8_t> datagram) {
  if (datagram.size() != kTestDatagramSize) return false;
  // The channel is kept in 16-bit signed arithmetic: a high byte of 128 or more does not fit.
  if (datagram[1] >= 128) return false;
  test_channel_ = datagram[1] * 256 + datagram[0];
  return true;
}

Frame FrameState::OutputFrame() const {
  Frame frame = dmx_data_;
  if (test_channel_ > 0 && test_channel_ <= kHighestTestChannel)
    frame[static_cast<size_t>(test_channel_ - 1)] = 255;
  return frame;
}

bool FrameState::BlackoutCheck(SteadyTime now) {
  // A monotonic clock: the age cannot go negative, and a changed wall clock changes nothing.
  if (last_frame_time_ && now - *last_frame_time_ <= kBlackoutAfter) return false;
  dmx_data_.fill(0);
  last_frame_time_ = now;
  return true;
}

}  // namespace quarnel::dmx
