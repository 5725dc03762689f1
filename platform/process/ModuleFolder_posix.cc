#include "platform/process/ModuleFolder.h"

#include <system_error>

#include <dlfcn.h>

namespace quarnel::platform {

std::filesystem::path ModuleFolder(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') {
    return {};
  }
  std::error_code ec;
  std::filesystem::path file = std::filesystem::weakly_canonical(info.dli_fname, ec);
  if (ec) file = std::filesystem::absolute(info.dli_fname, ec);
  if (ec) return {};
  return file.parent_path();
}

}  // namespace quarnel::platform
