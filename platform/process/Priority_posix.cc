#include "platform/process/Priority.h"

#include <cerrno>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace quarnel::platform {

namespace {

constexpr int kRealTimePriority = 10;
constexpr int kBestNice = -10;

}  // namespace

std::string RaiseClockThreadPriority() {
  sched_param param{};
  param.sched_priority = kRealTimePriority;
  if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) {
    return "real-time priority " + std::to_string(kRealTimePriority);
  }
  // Not allowed: the best nice level this user may take.
  for (int nice = kBestNice; nice < 0; ++nice) {
    if (setpriority(PRIO_PROCESS, 0, nice) == 0) return "nice " + std::to_string(nice);
  }
  return "normal priority";
}

void RequestFineTimers() {
  constexpr unsigned long kSlackNs = 1000;
  ::prctl(PR_SET_TIMERSLACK, kSlackNs, 0, 0, 0);
}

}  // namespace quarnel::platform
