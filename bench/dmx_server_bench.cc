// Frame timing of QuarnelOpenDMX on a simulated interface with line timing on: a sender
// streams numbered frames at 40 Hz for a while, once alone and once under a flood of
// 20 000 datagrams a second of mixed sizes. From the capture it prints the frame period's
// error, ticks missed, the break and the mark after it, what became of every frame sent
// (on the wire, or superseded by a newer one before the next tick, or lost), the delay
// from a frame's arrival to its first slot on the wire, and the server's CPU time.
//
//   bench_dmx_server [seconds per run, default 30]
#include "dmxserver/harness/Capture.h"
#include "dmxserver/harness/ServerProcess.h"
#include "platform/sockets/tests/PrivateNetwork.h"
#include "tools/dmxsend/Datagrams.h"
#include "tools/dmxsend/UdpSender.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using namespace quarnel::dmx::harness;
using namespace quarnel::dmxsend;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

constexpr double kPeriodMs = 26.0;

int64_t NowNs() {
  return std::chrono::duration_cast<nanoseconds>(Clock::now().time_since_epoch()).count();
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  // Nearest rank.
  const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size())));
  return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

// Levels that carry the frame's number in channels 1 to 4.
Levels Numbered(uint32_t k) {
  Levels l;
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

struct RunResult {
  size_t frames = 0;
  size_t numbered_on_wire = 0;  // frames sent that reached the wire
  size_t superseded = 0;        // not on the wire: a newer one came before the next tick
  size_t held_up = 0;           // not on the wire while the machine held the server up
  size_t lost = 0;              // not on the wire for no reason seen
  std::vector<double> break_us;
  std::vector<double> mark_us;
  std::vector<double> period_error_ms;
  uint64_t missed = 0;
  int malformed = 0;
  std::vector<double> delay_ms;
  size_t sent = 0;
  size_t flood_sent = 0;
  double cpu_s = 0;
  double wall_s = 0;
};

bool Run(const std::string& program, const std::string& work, double seconds, bool flood,
         RunResult& r) {
  const std::string capture = work + ".capture";
  std::remove(capture.c_str());
  ProcessOptions p;
  p.program = program;
  p.args = {"BENCH1"};
  p.output_prefix = work;
  p.env = {{"QUARNEL_FTDI", "sim:BENCH1"}, {"QUARNEL_FTDI_CAPTURE", capture}};
  const auto started = Clock::now();
  ServerProcess server(p);
  if (!server.WaitForOutput("Listening on", milliseconds(5000))) {
    std::fprintf(stderr, "the server did not start: %s\n", server.Stderr().c_str());
    return false;
  }
  std::string error;
  const std::string address = PrimaryAddress(error);
  if (address.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }

  // Follows the capture to learn where its clock starts: each line is written before it
  // is seen, so the smallest (seen - stamp) is the capture's origin on our clock.
  std::atomic<bool> stop{false};
  int64_t origin = INT64_MAX;
  std::thread follower([&] {
    CaptureFollower f(capture);
    while (!stop.load()) {
      const std::vector<CaptureCall> fresh = f.Poll();
      const int64_t seen = NowNs();
      for (const CaptureCall& c : fresh) origin = std::min(origin, seen - c.ns);
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  });

  std::map<uint32_t, int64_t> sent_at;
  std::mutex sent_mutex;
  std::thread sender([&] {
    UdpSender out(address);
    const auto start = Clock::now();
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 40));
    const auto count = static_cast<uint32_t>(seconds * 40);
    for (uint32_t k = 1; k <= count; ++k) {
      std::this_thread::sleep_until(start + period * k);
      const std::vector<uint8_t> d = FrameDatagram(Numbered(k));
      const int64_t t = NowNs();
      if (out.Send(kDataPort, d)) {
        std::lock_guard<std::mutex> lock(sent_mutex);
        sent_at[k] = t;
      }
    }
  });

  std::thread flooder;
  if (flood) {
    flooder = std::thread([&] {
      UdpSender out(address);
      std::mt19937 rng(42);
      // Every size but those that carry a command, so the flood cannot end the run.
      const size_t data_sizes[] = {0, 1, 4, 27, 29, 100, 512, 514, 600, 1400};
      const size_t test_sizes[] = {0, 1, 3, 5, 28, 513, 1400};
      std::vector<uint8_t> junk(1400);
      for (uint8_t& b : junk) b = static_cast<uint8_t>(rng());
      const auto start = Clock::now();
      const auto end = start + std::chrono::duration<double>(seconds);
      // 20 per millisecond, bounded by the run's time.
      for (int64_t ms = 0; Clock::now() < end && ms < static_cast<int64_t>(seconds * 1000); ++ms) {
        std::this_thread::sleep_until(start + milliseconds(ms));
        for (int i = 0; i < 20; ++i) {
          const bool data = (i % 2) == 0;
          const size_t size = data ? data_sizes[rng() % std::size(data_sizes)]
                                   : test_sizes[rng() % std::size(test_sizes)];
          out.Send(data ? kDataPort : kDiagnosticsPort,
                   std::span<const uint8_t>(junk.data(), size));
          ++r.flood_sent;
        }
      }
    });
  }
  sender.join();
  if (flooder.joinable()) flooder.join();
  std::this_thread::sleep_for(milliseconds(100));
  UdpSender(address).Send(kDataPort, ShutdownDatagram());
  server.WaitExit(milliseconds(5000));
  r.wall_s = std::chrono::duration<double>(Clock::now() - started).count();
  std::this_thread::sleep_for(milliseconds(20));
  stop = true;
  follower.join();
  if (auto cpu = server.CpuTime()) r.cpu_s = static_cast<double>(cpu->count()) / 1e6;

  CaptureFollower all(capture);
  all.Poll();
  const std::vector<WireFrame> frames = FramesOf(all.All(), &r.malformed);
  r.frames = frames.size();
  r.sent = sent_at.size();
  // The frames while the sender ran: from the first numbered frame on.
  size_t first = 0;
  while (first < frames.size() && NumberOf(frames[first].slots) == 0) ++first;
  for (size_t i = first + 1; i < frames.size(); ++i) {
    const double period = static_cast<double>(frames[i].break_ns - frames[i - 1].break_ns) / 1e6;
    r.period_error_ms.push_back(std::abs(period - kPeriodMs));
    if (period > 1.5 * kPeriodMs)
      r.missed += static_cast<uint64_t>(std::llround(period / kPeriodMs)) - 1;
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
    if (it != sent_at.end() && origin != INT64_MAX) {
      r.delay_ms.push_back(static_cast<double>(origin + f.first_slot_ns - it->second) / 1e6);
    }
  }
  // A frame not on the wire was superseded when the next one was sent before the first
  // tick that began after it arrived (with 2 ms for it to be read). Else it was held up
  // when the machine held up the server around then (a tick 1 ms or more off the grid
  // among the last three), and lost otherwise.
  constexpr int64_t kReadMargin = 2'000'000;
  for (const auto& [k, at] : sent_at) {
    if (on_wire.count(k) != 0) {
      ++r.numbered_on_wire;
      continue;
    }
    auto tick = frames.end();
    if (origin != INT64_MAX) {
      tick = std::partition_point(frames.begin(), frames.end(), [&](const WireFrame& w) {
        return origin + w.break_ns < at + kReadMargin;
      });
    }
    auto next = sent_at.find(k + 1);
    if (next != sent_at.end() && (tick == frames.end() || next->second < origin + tick->break_ns)) {
      ++r.superseded;
      continue;
    }
    bool held_up = tick == frames.end();
    for (auto f = tick; !held_up && f != frames.begin() && tick - f < 3; --f) {
      const double period = static_cast<double>(f->break_ns - std::prev(f)->break_ns) / 1e6;
      held_up = std::abs(period - kPeriodMs) >= 1.0;
    }
    ++(held_up ? r.held_up : r.lost);
  }
  return true;
}

void Print(const char* title, const RunResult& r) {
  std::printf("%s\n", title);
  std::printf("  frames on the wire            %zu (malformed: %d)\n", r.frames, r.malformed);
  std::printf("  |period - 26 ms|              median %.3f ms   p99 %.3f ms   max %.3f ms\n",
              Percentile(r.period_error_ms, 0.5), Percentile(r.period_error_ms, 0.99),
              Percentile(r.period_error_ms, 1.0));
  std::printf("  ticks missed                  %llu\n", static_cast<unsigned long long>(r.missed));
  std::printf("  break                         median %.0f us   min %.0f us   max %.0f us\n",
              Percentile(r.break_us, 0.5), Percentile(r.break_us, 0.0),
              Percentile(r.break_us, 1.0));
  std::printf("  mark after break              median %.0f us   min %.0f us   max %.0f us\n",
              Percentile(r.mark_us, 0.5), Percentile(r.mark_us, 0.0), Percentile(r.mark_us, 1.0));
  std::printf("  frames sent                   %zu\n", r.sent);
  std::printf("    on the wire                 %zu\n", r.numbered_on_wire);
  std::printf("    superseded before the tick  %zu\n", r.superseded);
  std::printf("    held up by the machine      %zu\n", r.held_up);
  std::printf("    lost                        %zu\n", r.lost);
  std::printf(
      "  arrival to first slot         median %.2f ms   p99 %.2f ms   (%zu of %zu frames sent "
      "reached the wire)\n",
      Percentile(r.delay_ms, 0.5), Percentile(r.delay_ms, 0.99), r.delay_ms.size(), r.sent);
  if (r.flood_sent > 0) std::printf("  flood datagrams sent          %zu\n", r.flood_sent);
  std::printf("  server CPU time               %.2f s in %.1f s (%.2f %% of a core)\n", r.cpu_s,
              r.wall_s, 100.0 * r.cpu_s / r.wall_s);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
  if (!(seconds > 0 && seconds <= 600)) {
    std::fprintf(stderr, "usage: bench_dmx_server [seconds per run, 1 to 600]\n");
    return 2;
  }
  std::string why;
  if (!quarnel::sockets_testing::EnterPrivateNetwork({}, &why))
    std::printf("(running in the shared network: %s)\n", why.c_str());
  const std::string work = "/tmp/bench_dmx_server." + std::to_string(::getpid());
  RunResult steady, flooded;
  std::printf(
      "QuarnelOpenDMX, simulated interface with line timing, frames at 40 Hz, %.0f s a run\n\n",
      seconds);
  if (!Run(QUARNEL_OPENDMX_PROGRAM, work + ".steady", seconds, false, steady)) return 1;
  Print("Frames alone:", steady);
  if (!Run(QUARNEL_OPENDMX_PROGRAM, work + ".flood", seconds, true, flooded)) return 1;
  Print("\nUnder a flood of 20 000 datagrams a second of mixed sizes:", flooded);
  return 0;
}
