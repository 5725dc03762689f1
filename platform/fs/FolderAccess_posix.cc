#include "platform/fs/FolderAccess.h"

#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace quarnel::platform {

bool CanWriteIn(const std::filesystem::path& folder) {
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return false;
  // The effective user decides, as it does when the file is made.
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

}  // namespace quarnel::platform
