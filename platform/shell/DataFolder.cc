#include "platform/shell/DataFolder.h"

#include "platform/fs/FolderAccess.h"
#include "platform/shell/StandardFolders.h"

namespace quarnel::platform {

std::filesystem::path OwnOrUserDataFolder(const std::filesystem::path& own_folder) {
  if (CanWriteIn(own_folder)) return own_folder;
  const auto user_folders = SpecialFolderPaths(kFolderLocalAppData);
  if (user_folders.empty()) return {};
  return user_folders.front() / std::filesystem::path(kUserDataFolderName);
}

}  // namespace quarnel::platform
