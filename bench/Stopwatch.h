// Wall and processor time of a measured step, and the line a benchmark prints for it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace quarnel::bench {

using Clock = std::chrono::steady_clock;

struct Stopwatch {
  Clock::time_point wall = Clock::now();
  std::clock_t cpu = std::clock();

  double WallSeconds() const { return std::chrono::duration<double>(Clock::now() - wall).count(); }
  // The processor time this program used, which stays meaningful when other work
  // shares the machine.
  double CpuSeconds() const { return static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

// One line: what was measured, its wall and processor time and, when `target` > 0,
// whether the smaller of the two met it.
inline void Report(const std::string& what, const Stopwatch& since, double target, int width = 52) {
  const double wall = since.WallSeconds();
  const double cpu = since.CpuSeconds();
  std::printf("%-*s %7.3f s wall %7.3f s cpu", width, what.c_str(), wall, cpu);
  if (target > 0) {
    std::printf(" (target <= %.3f s) %s", target, std::min(wall, cpu) <= target ? "ok" : "MISSED");
  }
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace quarnel::bench
