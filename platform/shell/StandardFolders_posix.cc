#include "platform/base/Error.h"
#include "platform/fs/WholeFile.h"
#include "platform/shell/StandardFolders.h"
#include "platform/shell/UserDirs.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

// An environment variable that holds an absolute path; relative ones are invalid by the
// base-directory rules and are ignored like unset ones.
std::optional<fs::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value != '/') return std::nullopt;
  return fs::path(value);
}

fs::path Home() {
  if (auto home = AbsoluteFromEnvironment("HOME")) return *home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return fs::path(entry->pw_dir);
  }
  return fs::path("/");
}

fs::path DataHome() {
  return AbsoluteFromEnvironment("XDG_DATA_HOME").value_or(Home() / ".local" / "share");
}

fs::path StateHome() {
  return AbsoluteFromEnvironment("XDG_STATE_HOME").value_or(Home() / ".local" / "state");
}

fs::path ConfigHome() {
  return AbsoluteFromEnvironment("XDG_CONFIG_HOME").value_or(Home() / ".config");
}

// The folders of $XDG_DATA_DIRS, without relative ones and repeats; the usual two when it
// names none.
std::vector<fs::path> DataDirs() {
  const char* value = std::getenv("XDG_DATA_DIRS");
  std::string_view list = value != nullptr ? value : "";
  std::vector<fs::path> dirs;
  while (!list.empty()) {
    const size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    if (entry.empty() || entry.front() != '/') continue;
    fs::path dir = fs::path(entry).lexically_normal();
    if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(std::move(dir));
  }
  if (dirs.empty()) dirs = {"/usr/local/share", "/usr/share"};
  return dirs;
}

fs::path Desktop() {
  const fs::path home = Home();
  const fs::path settings = ConfigHome() / "user-dirs.dirs";
  std::error_code ec;
  if (fs::is_regular_file(settings, ec)) {
    try {
      if (auto desktop = DesktopFromUserDirs(ReadWholeFile(settings, "SpecialFolder"), home)) {
        return *desktop;
      }
    } catch (const Error&) {
      // An unreadable settings file leaves the usual place.
    }
  }
  return home / "Desktop";
}

}  // namespace

std::vector<fs::path> SpecialFolderPaths(int32_t id) {
  switch (id) {
    case kFolderDesktop:
      return {Desktop()};
    case kFolderStartMenu:
      return {DataHome() / "applications"};
    case kFolderLocalAppData:
      return {StateHome()};
    case kFolderCommonStartMenu: {
      std::vector<fs::path> folders;
      for (const fs::path& dir : DataDirs()) folders.push_back(dir / "applications");
      return folders;
    }
    default:
      return {};
  }
}

}  // namespace quarnel::platform
