#include "dataapi/document/Workspace.h"

#include "dataapi/File.h"
#include "platform/base/Environment.h"
#include "platform/base/PathText.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/WholeFile.h"
#include "platform/process/ModuleFolder.h"
#include "platform/shell/DataFolder.h"

#include <system_error>

namespace quarnel::dataapi {
namespace {

std::filesystem::path PreparedFolder(const char* source) {
  std::filesystem::path folder = WorkspaceFolder();
  if (folder.empty()) {
    throw platform::FileAccessError(source, folder,
                                    "no folder for the workspace can be found; "
                                    "set QUARNEL_WORKSPACE to a folder");
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) {
      throw platform::FileAccessError(
          source, folder,
          "the workspace folder could not be created: " +
              (ec ? ec.message() : std::string("a file of that name is in the way")));
    }
  }
  return folder;
}

}  // namespace

std::filesystem::path WorkspaceFolderFor(const std::filesystem::path& library_folder) {
  if (const auto dir = platform::EnvironmentValue("QUARNEL_WORKSPACE"); dir && !dir->empty()) {
    return platform::PathFromUtf8(*dir);
  }
  return platform::OwnOrUserDataFolder(library_folder);
}

std::filesystem::path WorkspaceFolder() {
  return WorkspaceFolderFor(
      platform::ModuleFolder(reinterpret_cast<const void*>(&WorkspaceFolder)));
}

Workspace::Workspace(const char* source)
    : source_(source),
      folder_(PreparedFolder(source)),
      lock_(folder_ / std::filesystem::path(kLockFile), source) {}

std::filesystem::path Workspace::PathOf(std::string_view file_name) const {
  return folder_ / std::filesystem::path(file_name);
}

void Workspace::WriteCache(std::string_view file_name, std::string_view bytes) const {
  const std::filesystem::path path = PathOf(file_name);
  platform::DeleteFileQuietly(path);
  platform::WriteWholeFile(path, bytes, source_);
}

}  // namespace quarnel::dataapi
