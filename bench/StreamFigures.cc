#include "bench/StreamFigures.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>

namespace quarnel::bench {

using dmx::harness::WireFrame;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

dmxsend::Levels Numbered(uint32_t k) {
  dmxsend::Levels l;
  l.fill(static_cast<uint8_t>(k * 37));
  l[0] = static_cast<uint8_t>(k >> 24);
  l[1] = static_cast<uint8_t>(k >> 16);
  l[2] = static_cast<uint8_t>(k >> 8);
  l[3] = static_cast<uint8_t>(k);
  return l;
}

uint32_t NumberOf(const std::array<uint8_t, 512>& s) {
  return (uint32_t{s[0]} << 24) | (uint32_t{s[1]} << 16) | (uint32_t{s[2]} << 8) | s[3];
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size())));
  return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

StreamFigures AnalyseStream(const std::map<uint32_t, int64_t>& sent_at,
                            const std::vector<WireFrame>& all, int64_t origin, double period_ms) {
  StreamFigures r;
  r.sent = sent_at.size();
  // The frames from the first numbered one on: the stream and what followed it.
  auto first = std::find_if(all.begin(), all.end(),
                            [](const WireFrame& f) { return NumberOf(f.slots) != 0; });
  const std::vector<WireFrame> frames(first, all.end());
  r.frames = frames.size();
  for (size_t i = 1; i < frames.size(); ++i) {
    const double period = static_cast<double>(frames[i].break_ns - frames[i - 1].break_ns) / 1e6;
    r.period_error_ms.push_back(std::abs(period - period_ms));
    if (period > 1.5 * period_ms) {
      r.missed += static_cast<uint64_t>(std::llround(period / period_ms)) - 1;
    }
  }
  for (const WireFrame& f : frames) {
    r.break_us.push_back(static_cast<double>(f.BreakNs()) / 1e3);
    r.mark_us.push_back(static_cast<double>(f.MarkAfterBreakNs()) / 1e3);
  }
  uint32_t last = 0;
  std::map<uint32_t, bool> on_wire;
  for (const WireFrame& f : frames) {
    const uint32_t k = NumberOf(f.slots);
    if (k == 0 || k == last || f.slots != Numbered(k)) continue;
    last = k;
    on_wire[k] = true;
    auto it = sent_at.find(k);
    if (it != sent_at.end()) {
      r.delay_ms.push_back(static_cast<double>(origin + f.start_code_ns - it->second) / 1e6);
    }
  }
  // A frame not on the wire was superseded when the next one was sent before the first
  // tick that began after it arrived (with 2 ms for it to be read). Else it was held up
  // when the machine held up the server around then (a tick 1 ms or more off its period
  // among the last three), and lost otherwise.
  constexpr int64_t kReadMargin = 2'000'000;
  for (const auto& [k, at] : sent_at) {
    if (on_wire.count(k) != 0) {
      ++r.on_wire;
      continue;
    }
    auto tick = std::partition_point(frames.begin(), frames.end(), [&](const WireFrame& w) {
      return origin + w.break_ns < at + kReadMargin;
    });
    auto next = sent_at.find(k + 1);
    if (next != sent_at.end() && (tick == frames.end() || next->second < origin + tick->break_ns)) {
      ++r.superseded;
      continue;
    }
    bool held_up = tick == frames.end();
    for (auto f = tick; !held_up && f != frames.begin() && tick - f < 3; --f) {
      const double period = static_cast<double>(f->break_ns - std::prev(f)->break_ns) / 1e6;
      held_up = std::abs(period - period_ms) >= 1.0;
    }
    ++(held_up ? r.held_up : r.lost);
  }
  return r;
}

}  // namespace quarnel::bench
