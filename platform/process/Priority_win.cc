#include "platform/process/Priority.h"

// clang-format off
#include <windows.h>  // before mmsystem.h
#include <mmsystem.h>
// clang-format on

namespace quarnel::platform {

std::string RaiseClockThreadPriority() {
  const bool high_class = SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS) != 0;
  const bool highest = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != 0;
  if (high_class && highest) return "high priority";
  if (high_class || highest) return "raised priority";
  return "normal priority";
}

void RequestFineTimers() { timeBeginPeriod(1); }

}  // namespace quarnel::platform
