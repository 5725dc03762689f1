// How steady the message loop's periodic timer is: a 26 ms timer (the DMX frame clock) on
// an idle loop. Prints the median, 99th percentile and maximum of |period - 26 ms| and
// the drift of the last tick from its place on the grid.
//
//   bench_loop_timer [seconds] [--raise-priority]
//
// seconds: 30 unless given. --raise-priority first raises the loop thread's priority as
// the DMX output server does, which keeps other work on the machine from delaying ticks.
#include "platform/loop/EventLoop.h"
#include "platform/process/Priority.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using quarnel::platform::EventLoop;
using quarnel::platform::TimePoint;
using Ms = std::chrono::duration<double, std::milli>;

constexpr std::chrono::milliseconds kPeriod{26};

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t index = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values.size()))) - 1;
  return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 30;
  bool raise_priority = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--raise-priority") == 0) {
      raise_priority = true;
    } else {
      seconds = std::atoi(argv[i]);
    }
  }
  if (seconds < 1 || seconds > 3600) {
    std::fprintf(stderr, "usage: bench_loop_timer [seconds, 1 to 3600] [--raise-priority]\n");
    return 2;
  }
  std::string priority = "normal priority";
  if (raise_priority) priority = quarnel::platform::RaiseClockThreadPriority();
  const size_t ticks_wanted = static_cast<size_t>(seconds) * 1000 / kPeriod.count();
  std::printf("Running a %lld ms periodic timer on an idle loop for %d s (%zu ticks, %s)...\n",
              static_cast<long long>(kPeriod.count()), seconds, ticks_wanted, priority.c_str());

  EventLoop loop;
  std::vector<TimePoint> ticks;
  ticks.reserve(ticks_wanted + 1);
  const TimePoint start = EventLoop::Now();
  quarnel::platform::TimerId timer = loop.RunEveryFrom(start + kPeriod, kPeriod, [&] {
    ticks.push_back(EventLoop::Now());
    if (ticks.size() >= ticks_wanted) loop.Quit();
  });
  loop.Run();

  std::vector<double> deviation;  // |period - 26 ms|
  std::vector<double> lateness;   // tick time - its deadline
  for (size_t i = 0; i < ticks.size(); ++i) {
    // Against the latest slot of the grid: a skipped slot does not count twice.
    const auto slots = (ticks[i] - start) / kPeriod;
    lateness.push_back(Ms(ticks[i] - (start + kPeriod * slots)).count());
    if (i > 0) deviation.push_back(std::fabs(Ms(ticks[i] - ticks[i - 1] - kPeriod).count()));
  }
  const double drift = lateness.empty() ? 0 : lateness.back();
  std::printf("ticks: %zu, missed: %llu\n", ticks.size(),
              static_cast<unsigned long long>(loop.MissedTicks(timer)));
  std::printf("|period - 26 ms|: median %.3f ms, 99th percentile %.3f ms, max %.3f ms\n",
              Percentile(deviation, 0.5), Percentile(deviation, 0.99),
              deviation.empty() ? 0 : *std::max_element(deviation.begin(), deviation.end()));
  std::printf("lateness after deadline: median %.3f ms, max %.3f ms\n", Percentile(lateness, 0.5),
              lateness.empty() ? 0 : *std::max_element(lateness.begin(), lateness.end()));
  std::printf("drift after %d s: %.3f ms (targets: 99th percentile <= 0.3 ms, drift <= 1 ms)\n",
              seconds, drift);
  return 0;
}
