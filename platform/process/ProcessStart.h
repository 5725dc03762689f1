// Starting another program. The program runs detached: in a session (Windows: a process
// group, without this program's console) of its own, so a Ctrl-C meant for this program
// does not reach it; not waited for; and it keeps running when this program ends. It
// inherits the environment, standard output and standard error, and no other file or
// socket of this program; standard input is empty. On Windows it shows its window
// minimised.
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

// The file of a program named as on a command line: on Windows a name without an
// extension is its .exe; elsewhere the name is the file.
std::filesystem::path ProgramFile(const std::filesystem::path& program);

// Starts `program` (ProgramFile) with `args` and returns once it runs (or has failed to
// start).
StartedProgram StartProgram(const std::filesystem::path& program,
                            const std::vector<std::string>& args);

}  // namespace quarnel::platform
