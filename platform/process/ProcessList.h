// The programs that are running, from the system's process list: the executable of every
// process (on Linux its file, as /proc shows it; on Windows the process's first module),
// by base name. Processes this user may not inspect are skipped.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::platform {

// The base names of the executables of the running processes, one per process whose
// executable could be read, in no particular order.
std::vector<std::string> RunningProgramNames();

// True when the two names are equal once ASCII letters are in upper case, as program
// names are compared.
bool SameProgramName(std::string_view a, std::string_view b);

// True when a running process's executable has one of `names` as its base name.
bool IsProgramRunning(std::initializer_list<std::string_view> names);

}  // namespace quarnel::platform
