#include "platform/fs/FileLock.h"

#include "platform/base/PathText.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/SystemFileLock.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace quarnel::platform {
namespace {

// The locks this process holds or is taking, by lock file. A system lock belongs to the
// whole process, so the threads of the process take turns here first.
struct HeldLock {
  std::thread::id owner;
  int depth = 0;
  SystemLockHandle handle = kNoSystemLock;
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
  return Utf8FromPath(ec ? lock_file : p);
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
  table.locks[key_] = HeldLock{me, 1, kNoSystemLock};
  guard.unlock();
  std::string why;
  const SystemLockHandle handle = LockFileForProcess(key_, why);
  guard.lock();
  if (handle == kNoSystemLock) {
    table.locks.erase(key_);
    table.released.notify_all();
    throw FileAccessError(source, lock_file, "the lock file could not be locked: " + why);
  }
  table.locks[key_].handle = handle;
}

ExclusiveFileLock::~ExclusiveFileLock() {
  LockTable& table = Table();
  std::lock_guard<std::mutex> guard(table.mutex);
  auto it = table.locks.find(key_);
  if (it == table.locks.end() || --it->second.depth > 0) return;
  UnlockFileForProcess(it->second.handle);
  table.locks.erase(it);
  table.released.notify_all();
}

}  // namespace quarnel::platform
