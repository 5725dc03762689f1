// Starting another program, in place of the system's program start. The program runs
// detached: in a session of its own (so a Ctrl-C meant for this program does not reach
// it), not waited for, and it keeps running when this program ends. It inherits the
// environment, standard output and standard error; standard input is /dev/null.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace quarnel::platform {

struct StartedProgram {
  pid_t pid = 0;      // the program's process id; 0 when it could not be started
  std::string error;  // why not, in words
};

// Starts `program` with `args` and returns once it runs (or has failed to start).
StartedProgram StartProgram(const std::filesystem::path& program,
                            const std::vector<std::string>& args);

}  // namespace quarnel::platform
