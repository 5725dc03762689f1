#include "installer/Shortcuts.h"

#include "platform/base/PathText.h"
#include "platform/process/ProgramFolder.h"
#include "platform/shell/Shortcut.h"

#include <algorithm>
#include <system_error>

namespace quarnel::installer {

namespace fs = std::filesystem;

std::string ShortcutFileName(const ShortcutRow& row) {
  return std::string(row.name) + platform::ShortcutExtension();
}

fs::path ShortcutTargetOf(const ShortcutRow& row, const fs::path& installer_folder) {
  return installer_folder /
         (row.outside_program ? std::string(row.program) : platform::ProgramFileName(row.program));
}

std::vector<std::string> MakeShortcuts(const fs::path& folder, const fs::path& installer_folder) {
  std::vector<std::string> failures;
  for (const ShortcutRow& row : kShortcuts) {
    const fs::path file = folder / ShortcutFileName(row);
    const platform::ShortcutTarget target{ShortcutTargetOf(row, installer_folder), row.console};
    if (auto why = platform::MakeShortcut(file, target)) {
      failures.push_back("(could not make the shortcut " + platform::Utf8FromPath(file) + ": " +
                         *why + ")");
    }
  }
  return failures;
}

std::vector<std::string> EntriesContaining(const fs::path& folder, std::string_view part,
                                           bool folders, std::string& error) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = platform::Utf8FromPath(it->path().filename());
    if (name.starts_with('.') || name.find(part) == std::string::npos) continue;
    std::error_code kind_ec;
    if (folders ? it->is_directory(kind_ec) : it->is_regular_file(kind_ec)) names.push_back(name);
  }
  if (ec) {
    error =
        "(could not read the folder " + platform::Utf8FromPath(folder) + ": " + ec.message() + ")";
    return {};
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace quarnel::installer
