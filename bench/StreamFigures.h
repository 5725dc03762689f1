// What the DMX benchmarks read from the frames a server put on the wire while they
// streamed numbered frames to it: the period's error, the break and the mark after it,
// what became of every frame sent, and how long a frame took from arrival to the wire.
#pragma once

#include "dmxserver/harness/Capture.h"
#include "tools/dmxsend/Datagrams.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace quarnel::bench {

// The monotonic clock in nanoseconds, as the capture and the stand-in stamp their calls.
int64_t NowNs();

// Levels that carry the frame's number in channels 1 to 4, and the number back.
dmxsend::Levels Numbered(uint32_t k);
uint32_t NumberOf(const std::array<uint8_t, 512>& slots);

// Nearest-rank percentile, p from 0 (the least) to 1 (the greatest); 0 for no values.
double Percentile(std::vector<double> values, double p);

struct StreamFigures {
  size_t frames = 0;  // on the wire from the first numbered one on
  std::vector<double> period_error_ms;
  uint64_t missed = 0;  // ticks that did not happen
  std::vector<double> break_us;
  std::vector<double> mark_us;
  std::vector<double> delay_ms;  // arrival to the start code, per frame on the wire
  size_t sent = 0;
  size_t on_wire = 0;     // frames sent that reached the wire
  size_t superseded = 0;  // not on the wire: a newer one came before the next tick
  size_t held_up = 0;     // not on the wire while the machine held the server up
  size_t lost = 0;        // not on the wire for no reason seen
};

// `sent_at`: when each numbered frame was sent (NowNs); `origin`: what to add to a wire
// frame's times to set them on that clock; `period_ms`: the server's own frame period.
StreamFigures AnalyseStream(const std::map<uint32_t, int64_t>& sent_at,
                            const std::vector<dmx::harness::WireFrame>& frames, int64_t origin,
                            double period_ms);

}  // namespace quarnel::bench
