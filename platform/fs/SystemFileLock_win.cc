// Lock files with LockFileEx on the whole file. The lock belongs to the open handle: a
// second handle, in this process or another, waits for it. A process that ends loses it.
#include "platform/base/PathText.h"
#include "platform/base/WideText_win.h"
#include "platform/fs/SystemFileLock.h"

#include <windows.h>

namespace quarnel::platform {

SystemLockHandle LockFileForProcess(const std::string& path, std::string& why) {
  const HANDLE file = CreateFileW(PathFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    why = SystemErrorText(GetLastError());
    return kNoSystemLock;
  }
  OVERLAPPED whole{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    why = SystemErrorText(GetLastError());
    CloseHandle(file);
    return kNoSystemLock;
  }
  return reinterpret_cast<SystemLockHandle>(file);
}

void UnlockFileForProcess(SystemLockHandle handle) noexcept {
  if (handle == kNoSystemLock) return;
  const HANDLE file = reinterpret_cast<HANDLE>(handle);
  OVERLAPPED whole{};
  UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(file);
}

}  // namespace quarnel::platform
