#include "platform/fs/FileErrors.h"
#include "platform/fs/FileLock.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

// The locks this process holds or is taking, by lock file. A system lock belongs to the
// whole process, so the threads of the process take turns here first.
struct HeldLock {
  std::thread::id owner;
  int depth = 0;
  int fd = -1;
};

struct LockTable {
  std::mutex mutex;
  std::condition_variable released;
  std::map<std::string, HeldLock> locks;
};

LockTable& Table() {
  static LockTable table;
  return table;
}

std::string KeyOf(const std::filesystem::path& lock_file) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(lock_file, ec);
  if (ec) p = std::filesystem::absolute(lock_file, ec);
  return (ec ? lock_file : p).string();
}

// Opens the lock file and waits for the system lock on it; the descriptor, or -1 with
// errno set.
int OpenAndLock(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

}  // namespace

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lock_file, const char* source)
    : key_(KeyOf(lock_file)) {
  LockTable& table = Table();
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> guard(table.mutex);
  table.released.wait(guard, [&] {
    auto it = table.locks.find(key_);
    return it == table.locks.end() || it->second.owner == me;
  });
  auto it = table.locks.find(key_);
  if (it != table.locks.end()) {
    ++it->second.depth;  // taken again by the thread that holds it
    return;
  }
  // Claimed for this thread before waiting on the system lock, so that other threads of
  // the process wait above instead of on the file.
  table.locks[key_] = HeldLock{me, 1, -1};
  guard.unlock();
  const int fd = OpenAndLock(key_);
  const int saved = errno;
  guard.lock();
  if (fd < 0) {
    table.locks.erase(key_);
    table.released.notify_all();
    throw FileAccessError(
        source, lock_file,
        std::string("the lock file could not be locked: ") + std::strerror(saved));
  }
  table.locks[key_].fd = fd;
}

ExclusiveFileLock::~ExclusiveFileLock() {
  LockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.mutex);
  auto it = table.locks.find(key_);
  if (it == table.locks.end() || --it->second.depth > 0) return;
  if (it->second.fd >= 0) ::close(it->second.fd);  // closing lets go of the system lock
  table.locks.erase(it);
  table.released.notify_all();
}

}  // namespace quarnel::platform
