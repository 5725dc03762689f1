// Access lists decide on Windows, and reading them does not say what the system would
// allow; so a file is made in the folder and gone again when closed.
#include "platform/fs/FolderAccess.h"

#include <random>
#include <string>
#include <system_error>

#include <windows.h>

namespace quarnel::platform {

bool CanWriteIn(const std::filesystem::path& folder) {
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  const std::filesystem::path probe =
      folder / ("write-probe-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(std::random_device{}()));
  const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace quarnel::platform
