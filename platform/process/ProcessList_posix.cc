#include "platform/process/ProcessList.h"

#include <filesystem>
#include <system_error>

namespace quarnel::platform {

namespace {

// " (deleted)" follows the path of a program whose file was replaced while it runs
// (an update); it is the same program.
constexpr std::string_view kDeleted = " (deleted)";

bool IsProcessFolder(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> RunningProgramNames() {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it("/proc", ec);
  if (ec) return names;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const std::string pid = it->path().filename().string();
    if (!IsProcessFolder(pid)) continue;
    std::error_code link_ec;
    std::string exe = std::filesystem::read_symlink(it->path() / "exe", link_ec).string();
    if (link_ec || exe.empty()) continue;  // gone, a kernel thread, or not ours to read
    if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) {
      exe.resize(exe.size() - kDeleted.size());
    }
    names.push_back(std::filesystem::path(exe).filename().string());
  }
  return names;
}

}  // namespace quarnel::platform
