// ExclusiveFileLock: an exclusive lock held through a lock file, between processes and
// between the threads of one process.
//
// Whoever constructs one waits until no other process or thread holds the lock on that
// file, then holds it until the object ends. The thread that holds a lock may take it
// again (an operation that calls another that locks too); the lock goes when the
// outermost holder ends. A process that dies loses its locks. The lock file itself is
// created when missing and left in place.
#pragma once

#include <filesystem>
#include <string>

namespace quarnel::platform {

class ExclusiveFileLock {
 public:
  // Blocks until held. Raises FileAccessError (75) when the lock file cannot be created
  // or locked.
  ExclusiveFileLock(const std::filesystem::path& lock_file, const char* source);
  ~ExclusiveFileLock();
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

 private:
  std::string key_;
};

}  // namespace quarnel::platform
