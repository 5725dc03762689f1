// The three shortcuts the patch puts beside the product's own: to the patched scheduler,
// the web diagnostics server and the converter, made together in one folder. Targets lie
// in the installer's own folder.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::installer {

struct ShortcutRow {
  std::string_view name;  // the shortcut file's name without its ending
  std::string_view program;
  bool outside_program;  // not ours: its file name stays as the product ships it
  bool console;          // talks on a terminal
};

inline constexpr std::array<ShortcutRow, 3> kShortcuts = {{
    {"DMX Quarnel Scheduler (2011 patched)", "quarnel_scheduler_90_patched.exe", true, false},
    {"DMX Quarnel Web Diagnostics Server", "QuarnelWebDiagnostics", false, true},
    {"Quarnel DMX Recaster (Converter)", "DMXRecaster", false, true},
}};

// The shortcut file of a row on this system ("DMX Quarnel Web Diagnostics Server.desktop").
std::string ShortcutFileName(const ShortcutRow& row);
// The program a row starts, in `installer_folder`.
std::filesystem::path ShortcutTargetOf(const ShortcutRow& row,
                                       const std::filesystem::path& installer_folder);

// Makes (or replaces) the three shortcuts in `folder`, in the table's order. A shortcut
// that cannot be made does not stop the others; each gives one line naming its file and
// why, returned in order.
std::vector<std::string> MakeShortcuts(const std::filesystem::path& folder,
                                       const std::filesystem::path& installer_folder);

// The names of the entries in `folder` that contain `part` (exact case), in name order:
// sub-folders when `folders`, else plain files. Hidden entries (a leading dot) are left
// out. A folder that cannot be read gives none, and `error` says why.
std::vector<std::string> EntriesContaining(const std::filesystem::path& folder,
                                           std::string_view part, bool folders, std::string& error);

}  // namespace quarnel::installer
