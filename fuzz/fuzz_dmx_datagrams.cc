// Feeds the DMX output server's datagram rules with any sequence of datagrams on both
// ports and checks what they may change: only a 513-byte datagram changes the frame, only
// a 4-byte one whose channel fits changes the test channel, and the output frame is the
// frame with at most the test channel at full.
#include "dmxserver/FrameState.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using quarnel::dmx::ClassifyDataDatagram;
using quarnel::dmx::DataDatagram;
using quarnel::dmx::Frame;
using quarnel::dmx::FrameState;
using quarnel::dmx::IsTestDatagram;
using quarnel::dmx::SteadyTime;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FrameState state;
  SteadyTime now{};
  // Each record: port (1 byte), length (2 bytes), that many bytes (cut at the end).
  size_t at = 0;
  while (at + 3 <= size) {
    const bool data_port = (data[at] & 1) == 0;
    const size_t length = std::min<size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
    const std::span<const uint8_t> datagram(data + at + 3, length);
    at += 3 + length;
    now += std::chrono::milliseconds(data_port ? 7 : 3);

    const Frame before = state.DMXData();
    const int32_t test_before = state.TestChannel();
    if (data_port) {
      if (ClassifyDataDatagram(static_cast<int64_t>(length)) == DataDatagram::kFrame) {
        const bool taken = state.TakeFrame(datagram, now);
        if (taken != (length == 513)) std::abort();
        if (!taken && state.DMXData() != before) std::abort();
      }
    } else if (IsTestDatagram(static_cast<int64_t>(length))) {
      const bool taken = state.TakeTest(datagram);
      if (taken != (datagram[1] < 128)) std::abort();
      if (!taken && state.TestChannel() != test_before) std::abort();
    }
    if (state.TestChannel() < 0 || state.TestChannel() > 32767) std::abort();
    const Frame out = state.OutputFrame();
    for (size_t i = 0; i < out.size(); ++i) {
      // Channel 512 and above cannot be tested.
      const bool tested = static_cast<int32_t>(i) + 1 == state.TestChannel() && i < 511;
      if (out[i] != (tested ? 255 : state.DMXData()[i])) std::abort();
    }
    state.BlackoutCheck(now);
  }
  return 0;
}
