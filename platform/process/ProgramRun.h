// Running another program to its end, as a setup step does with a system tool: the
// program inherits the environment, standard output and standard error, and is waited
// for, within a time limit.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace quarnel::platform {

struct ProgramRun {
  bool ran = false;  // it started and ended by itself within the time limit
  // Its exit status when it ran; on POSIX 128 + the signal that ended it, on Windows the
  // exception code of a crash (0xC0000005 and the like, negative here).
  int exit_code = -1;
  std::string error;  // why it did not run or did not end, in words
};

// Runs `program` (a path, or a name looked up as the system looks up commands) with
// `args` and waits at most `limit` for it to end; one that takes longer is killed.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      std::chrono::milliseconds limit);

}  // namespace quarnel::platform
