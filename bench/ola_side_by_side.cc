// Our DMX server and OLA's side by side on the same simulated interface: both drive an
// FT232R through libftdi1, for which the stand-in library (ftdi_standin/) is preloaded
// into each, so both meet the same line (a 512-byte write takes its 22.5 ms at 250 000
// baud) and every call they make is recorded with its time. Each is fed the same stream
// of numbered frames at 40 Hz (ours as its 513-byte datagrams, OLA as Art-Net), idle and
// while two busy loops keep both cores working, at its default priority (ours: real-time;
// OLA asks for none) and at the normal one. Everything runs in a private network of its
// own, and every run is bounded in time.
//
//   bench_ola_side_by_side [seconds per run, default 20]
//
// Needs root (for the private network) and OLA:
//   apt-get install -y --no-install-recommends ola
#include "bench/OlaDaemon.h"
#include "bench/StreamFigures.h"
#include "dmxserver/harness/Capture.h"
#include "dmxserver/harness/ServerProcess.h"
#include "platform/sockets/tests/PrivateNetwork.h"
#include "tools/dmxsend/Datagrams.h"
#include "tools/dmxsend/UdpSender.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

namespace {

using namespace quarnel::bench;
using namespace quarnel::dmx::harness;
using namespace quarnel::dmxsend;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr double kOurPeriodMs = 26.0;
constexpr int kBusyLoops = 2;

struct Setup {
  const char* title;
  bool ours;
  bool normal_priority;
};

struct Figures {
  StreamFigures stream;
  int malformed = 0;
  double cpu_percent = 0;
};

// CPU time a process has used so far, in seconds (its utime and stime).
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');  // the command name may hold spaces
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string skip;
  for (int i = 3; i < 14; ++i) fields >> skip;  // state ... cmajflt
  long utime = 0, stime = 0;
  fields >> utime >> stime;
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Whether the record holds a frame's write yet.
bool Writing(const std::string& record) {
  std::ifstream in(record);
  std::string line;
  // Bounded by the record's length.
  while (std::getline(in, line)) {
    if (line.find(" WRITE 513 ") != std::string::npos ||
        line.find(" WRITE 512 ") != std::string::npos ||
        line.find(" WRITE 1 ") != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Two threads that spin until `end`, each checking the time every million turns.
class BusyLoops {
 public:
  explicit BusyLoops(Clock::time_point end) {
    for (int i = 0; i < kBusyLoops; ++i) {
      threads_.emplace_back([end] {
        volatile uint64_t x = 1;
        // Bounded in time, and in turns: a million per check, a check per turn.
        for (uint64_t check = 0; check < (uint64_t{1} << 40) && Clock::now() < end; ++check) {
          for (int i = 0; i < 1'000'000; ++i) x = x * 3 + 1;
        }
      });
    }
  }
  ~BusyLoops() {
    for (auto& t : threads_) t.join();
  }

 private:
  std::vector<std::thread> threads_;
};

bool RunOne(const Setup& setup, bool busy, double seconds, const std::string& work, Figures& out) {
  const std::string name = work + (setup.ours ? ".ours" : ".ola") +
                           (setup.normal_priority ? ".normal" : ".default") +
                           (busy ? ".busy" : ".idle");
  const std::string record = name + ".record";
  std::remove(record.c_str());
  std::vector<std::pair<std::string, std::string>> env = {{"LD_PRELOAD", QUARNEL_FTDI_STANDIN},
                                                          {"QUARNEL_FTDI_STANDIN_RECORD", record}};
  ProcessOptions options;
  if (setup.ours) {
    if (setup.normal_priority) env.emplace_back("QUARNEL_PRIORITY", "normal");
    options.program = QUARNEL_OPENDMX_PROGRAM;
    options.args = {"BENCH1"};
    options.output_prefix = name;
    options.env = env;
  } else {
    std::string why;
    if (!WriteOlaConfiguration(name + ".olad", &why)) {
      std::fprintf(stderr, "%s\n", why.c_str());
      return false;
    }
    options = OlaProcess(name + ".olad", name, env);
  }
  ServerProcess server(options);
  const auto ready_by = Clock::now() + std::chrono::seconds(15);
  while (server.Running() && !Writing(record) && Clock::now() < ready_by) {
    std::this_thread::sleep_for(milliseconds(20));
  }
  if (!server.Running() || !Writing(record)) {
    std::fprintf(stderr, "%s did not start writing frames:\n%s%s\n", setup.title,
                 server.Stdout().c_str(), server.Stderr().c_str());
    return false;
  }
  std::string error;
  const std::string primary = PrimaryAddress(error);
  // Art-Net goes to the daemon's port from an address that is not its own (it ignores
  // what it sent itself).
  UdpSender to_server(primary);

  std::map<uint32_t, int64_t> sent_at;
  const double cpu_before = CpuSeconds(server.Pid());
  const auto start = Clock::now();
  const auto end =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  {
    std::unique_ptr<BusyLoops> loops = busy ? std::make_unique<BusyLoops>(end) : nullptr;
    std::thread sender([&] {
      // The stream keeps its clock however busy the machine is, where the system allows.
      sched_param param{};
      param.sched_priority = 20;
      pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
      const auto period =
          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 40));
      const auto count = static_cast<uint32_t>(seconds * 40);
      for (uint32_t k = 1; k <= count; ++k) {
        std::this_thread::sleep_until(start + period * k);
        const Levels levels = Numbered(k);
        const int64_t t = NowNs();
        const bool sent = setup.ours ? to_server.Send(kDataPort, FrameDatagram(levels))
                                     : to_server.Send(kArtNetPort, ArtDmxPacket(levels));
        if (sent) sent_at[k] = t;
      }
    });
    sender.join();
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  out.cpu_percent = 100.0 * (CpuSeconds(server.Pid()) - cpu_before) / wall;
  std::this_thread::sleep_for(milliseconds(200));
  if (setup.ours) {
    to_server.Send(kDataPort, ShutdownDatagram());
    if (!server.WaitExit(milliseconds(3000))) server.Stop();
  } else {
    server.Stop();
  }

  CaptureFollower calls(record);
  calls.Poll();
  const std::vector<WireFrame> frames = FramesOf(calls.All(), &out.malformed);
  const double period_ms = setup.ours ? kOurPeriodMs : 1000.0 / kOlaFramesPerSecond;
  out.stream = AnalyseStream(sent_at, frames, 0, period_ms);
  return true;
}

using Row = std::string (*)(const Figures&);

std::string Format(const char* format, double a, double b = 0, double c = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

void PrintTable(const char* title, const std::vector<Setup>& setups,
                const std::vector<Figures>& figures) {
  const std::pair<const char*, Row> rows[] = {
      {"frames on the wire",
       [](const Figures& f) { return Format("%.0f", static_cast<double>(f.stream.frames)); }},
      {"|period error| median ms",
       [](const Figures& f) { return Format("%.3f", Percentile(f.stream.period_error_ms, 0.5)); }},
      {"|period error| p99 ms",
       [](const Figures& f) { return Format("%.3f", Percentile(f.stream.period_error_ms, 0.99)); }},
      {"|period error| max ms",
       [](const Figures& f) { return Format("%.3f", Percentile(f.stream.period_error_ms, 1.0)); }},
      {"break median (min) us",
       [](const Figures& f) {
         return Format("%.0f (%.0f)", Percentile(f.stream.break_us, 0.5),
                       Percentile(f.stream.break_us, 0.0));
       }},
      {"mark after break median (min) us",
       [](const Figures& f) {
         return Format("%.0f (%.0f)", Percentile(f.stream.mark_us, 0.5),
                       Percentile(f.stream.mark_us, 0.0));
       }},
      {"arrival to wire median ms",
       [](const Figures& f) { return Format("%.2f", Percentile(f.stream.delay_ms, 0.5)); }},
      {"arrival to wire p99 ms",
       [](const Figures& f) { return Format("%.2f", Percentile(f.stream.delay_ms, 0.99)); }},
      {"frames sent / on the wire",
       [](const Figures& f) {
         return Format("%.0f / %.0f", static_cast<double>(f.stream.sent),
                       static_cast<double>(f.stream.on_wire));
       }},
      {"superseded / held up / lost",
       [](const Figures& f) {
         return Format("%.0f / %.0f / %.0f", static_cast<double>(f.stream.superseded),
                       static_cast<double>(f.stream.held_up), static_cast<double>(f.stream.lost));
       }},
      {"CPU, % of a core", [](const Figures& f) { return Format("%.2f", f.cpu_percent); }},
  };
  std::printf("\n%s\n%-34s", title, "");
  for (const Setup& s : setups) std::printf("%20s", s.title);
  std::printf("\n");
  for (const auto& [label, row] : rows) {
    std::printf("%-34s", label);
    for (const Figures& f : figures) std::printf("%20s", row(f).c_str());
    std::printf("\n");
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  if (!(seconds >= 2 && seconds <= 600)) {
    std::fprintf(stderr,
                 "usage: bench_ola_side_by_side [seconds per run, 2 to 600]\n"
                 "Needs root and OLA: apt-get install -y --no-install-recommends ola\n");
    return 2;
  }
  std::string why;
  if (!OlaInstalled(&why)) {
    std::fprintf(stderr, "OLA is needed (%s): apt-get install -y --no-install-recommends ola\n",
                 why.c_str());
    return 2;
  }
  if (!quarnel::sockets_testing::EnterPrivateNetwork({}, &why)) {
    std::fprintf(stderr, "a private network is needed (run as root): %s\n", why.c_str());
    return 2;
  }
  // The servers start from this environment: nothing in it may choose for them.
  for (const char* name : {"QUARNEL_FTDI", "QUARNEL_FTDI_CAPTURE", "QUARNEL_PRIORITY"}) {
    ::unsetenv(name);
  }
  const std::string work = "/tmp/bench_ola_side_by_side." + std::to_string(::getpid());
  const std::vector<Setup> setups = {{"ours, real-time", true, false},
                                     {"OLA, its default", false, false},
                                     {"ours, normal", true, true},
                                     {"OLA, normal", false, true}};
  std::printf(
      "Side by side on a simulated FT232R (libftdi1 stand-in), frames at 40 Hz, %.0f s a run.\n"
      "Period error against each server's own period: ours 26 ms, OLA's %.3f ms (44 Hz).\n"
      "OLA's default is the normal priority: it asks for no other unless told to.\n",
      seconds, 1000.0 / kOlaFramesPerSecond);
  for (bool busy : {false, true}) {
    std::vector<Figures> figures;
    for (const Setup& s : setups) {
      Figures f;
      if (!RunOne(s, busy, seconds, work, f)) return 1;
      figures.push_back(f);
    }
    PrintTable(busy ? "Two busy loops on the two cores:" : "Idle machine:", setups, figures);
  }
  return 0;
}
