// For tests of lock files: whether another process could take the lock right now.
#pragma once

#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::platform::testing {

// A child process tries to lock the file without waiting; true when it could.
inline bool FreeForAnotherProcess(const std::filesystem::path& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
    ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quarnel::platform::testing
