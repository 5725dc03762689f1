#include "platform/process/ModuleFile_win.h"
#include "platform/process/ModuleFolder.h"

#include <string>

namespace quarnel::platform {

std::filesystem::path ModuleFile(HMODULE module) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return {};
    if (n < name.size()) {
      name.resize(n);
      return std::filesystem::path(name);
    }
    name.resize(name.size() * 2);  // cut short: a longer path
  }
}

std::filesystem::path ModuleFolder(const void* address) {
  if (address == nullptr) return {};
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<const wchar_t*>(address), &module)) {
    return {};
  }
  return ModuleFile(module).parent_path();
}

}  // namespace quarnel::platform
