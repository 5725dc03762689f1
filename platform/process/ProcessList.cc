#include "platform/process/ProcessList.h"

#include <cctype>

namespace quarnel::platform {

bool SameProgramName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool IsProgramRunning(std::initializer_list<std::string_view> names) {
  for (const std::string& running : RunningProgramNames()) {
    for (std::string_view name : names) {
      if (SameProgramName(running, name)) return true;
    }
  }
  return false;
}

}  // namespace quarnel::platform
