#include "platform/process/ProgramFolder.h"

#include <system_error>

namespace quarnel::platform {

std::filesystem::path ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

std::string ProgramFileName(std::string_view name) { return std::string(name); }

}  // namespace quarnel::platform
