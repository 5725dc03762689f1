// The shell's own special folders, by their numbers, through an item list of the shell.
#include "platform/shell/StandardFolders.h"

// clang-format off
#include <windows.h>  // before the other system headers
#include <objbase.h>
#include <shlobj.h>
// clang-format on

namespace quarnel::platform {

std::vector<std::filesystem::path> SpecialFolderPaths(int32_t id) {
  switch (id) {
    case kFolderDesktop:
    case kFolderStartMenu:
    case kFolderCommonStartMenu:
    case kFolderCommonDesktop:
    case kFolderLocalAppData:
      break;
    default:
      return {};
  }
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, id, &list)) || list == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  const BOOL found = SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  if (!found || path[0] == L'\0') return {};
  return {std::filesystem::path(path)};
}

}  // namespace quarnel::platform
