// The system side of ExclusiveFileLock: a lock file opened and locked against every other
// process, and let go. The lock belongs to the open file, so the threads of one process
// must take turns before they get here (FileLock.cc sees to that).
#pragma once

#include <cstdint>
#include <string>

namespace quarnel::platform {

// An open, locked lock file: a descriptor or a system handle.
using SystemLockHandle = std::intptr_t;
inline constexpr SystemLockHandle kNoSystemLock = -1;

// Opens the lock file (creating it when missing) and waits until this process holds the
// lock on it. kNoSystemLock on failure, with `why` saying what went wrong.
SystemLockHandle LockFileForProcess(const std::string& path, std::string& why);

// Lets go of the lock and closes the file.
void UnlockFileForProcess(SystemLockHandle handle) noexcept;

}  // namespace quarnel::platform
