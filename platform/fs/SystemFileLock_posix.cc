// Lock files with flock: the lock belongs to the open file description and goes with the
// last descriptor, or with the process.
#include "platform/fs/SystemFileLock.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quarnel::platform {

SystemLockHandle LockFileForProcess(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    why = std::strerror(errno);
    return kNoSystemLock;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    why = std::strerror(errno);
    ::close(fd);
    return kNoSystemLock;
  }
  return fd;
}

void UnlockFileForProcess(SystemLockHandle handle) noexcept {
  if (handle != kNoSystemLock) ::close(static_cast<int>(handle));  // closing lets go of the lock
}

}  // namespace quarnel::platform
