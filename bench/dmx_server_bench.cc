// Frame timing of QuarnelOpenDMX on a simulated interface with line timing on: a sender
// streams numbered frames at 40 Hz for a while, once alone and once under a flood of
// 20 000 datagrams a second of mixed sizes. From the capture it prints the frame period's
// error, ticks missed, the break and the mark after it, what became of every frame sent
// (on the wire, or superseded by a newer one before the next tick, or lost), the delay
// from a frame's arrival to its start code on the wire, and the server's CPU time.
//
//   bench_dmx_server [seconds per run, default 30]
#include "bench/StreamFigures.h"
#include "dmxserver/harness/Capture.h"
#include "dmxserver/harness/ServerProcess.h"
#include "platform/base/Pause.h"
#include "platform/sockets/tests/PrivateNetwork.h"
#include "platform/tests/TestSystem.h"
#include "tools/dmxsend/Datagrams.h"
#include "tools/dmxsend/UdpSender.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace quarnel::bench;
using namespace quarnel::dmx::harness;
using namespace quarnel::dmxsend;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

constexpr double kPeriodMs = 26.0;

struct RunResult {
  StreamFigures figures;
  int malformed = 0;
  size_t flood_sent = 0;
  std::optional<double> cpu_s;
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
      quarnel::platform::PauseFor(std::chrono::microseconds(500));
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
      quarnel::platform::PauseUntil(start + period * k);
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
        quarnel::platform::PauseUntil(start + milliseconds(ms));
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
  // Wine reports no times for another process (zero); a server that ran for seconds
  // has used some.
  if (auto cpu = server.CpuTime(); cpu && cpu->count() > 0) {
    r.cpu_s = static_cast<double>(cpu->count()) / 1e6;
  }

  CaptureFollower all(capture);
  all.Poll();
  const std::vector<WireFrame> frames = FramesOf(all.All(), &r.malformed);
  if (origin == INT64_MAX) {
    std::fprintf(stderr, "the capture %s stayed empty\n", capture.c_str());
    return false;
  }
  r.figures = AnalyseStream(sent_at, frames, origin, kPeriodMs);
  return true;
}

void Print(const char* title, const RunResult& r) {
  const StreamFigures& f = r.figures;
  std::printf("%s\n", title);
  std::printf("  frames on the wire            %zu (malformed: %d)\n", f.frames, r.malformed);
  std::printf("  |period - 26 ms|              median %.3f ms   p99 %.3f ms   max %.3f ms\n",
              Percentile(f.period_error_ms, 0.5), Percentile(f.period_error_ms, 0.99),
              Percentile(f.period_error_ms, 1.0));
  std::printf("  ticks missed                  %llu\n", static_cast<unsigned long long>(f.missed));
  std::printf("  break                         median %.0f us   min %.0f us   max %.0f us\n",
              Percentile(f.break_us, 0.5), Percentile(f.break_us, 0.0),
              Percentile(f.break_us, 1.0));
  std::printf("  mark after break              median %.0f us   min %.0f us   max %.0f us\n",
              Percentile(f.mark_us, 0.5), Percentile(f.mark_us, 0.0), Percentile(f.mark_us, 1.0));
  std::printf("  frames sent                   %zu\n", f.sent);
  std::printf("    on the wire                 %zu\n", f.on_wire);
  std::printf("    superseded before the tick  %zu\n", f.superseded);
  std::printf("    held up by the machine      %zu\n", f.held_up);
  std::printf("    lost                        %zu\n", f.lost);
  std::printf("  arrival to start code         median %.2f ms   p99 %.2f ms\n",
              Percentile(f.delay_ms, 0.5), Percentile(f.delay_ms, 0.99));
  if (r.flood_sent > 0) std::printf("  flood datagrams sent          %zu\n", r.flood_sent);
  if (r.cpu_s) {
    std::printf("  server CPU time               %.2f s in %.1f s (%.2f %% of a core)\n", *r.cpu_s,
                r.wall_s, 100.0 * *r.cpu_s / r.wall_s);
  } else {
    std::printf("  server CPU time               not reported by this system\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
  if (!(seconds > 0 && seconds <= 600)) {
    std::fprintf(stderr, "usage: bench_dmx_server [seconds per run, 1 to 600]\n");
    return 2;
  }
  std::string why;
  if (!quarnel::sockets_testing::EnterPrivateNetwork({}, &why)) {
    if (!quarnel::sockets_testing::SharedNetworkAllowed()) {
      std::fprintf(stderr, "bench_dmx_server: %s\n", why.c_str());
      return 1;
    }
    std::printf("(running in the shared network: %s)\n", why.c_str());
  }
  const std::string work =
      (std::filesystem::temp_directory_path() /
       ("bench_dmx_server." + std::to_string(quarnel::platform::testing::CurrentProcessId())))
          .string();
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
