// Shortcuts: files in a menu or desktop folder that start a program when opened, named
// by their file and shown with the program's own icon.
//
// On Linux a shortcut is a desktop entry (".desktop") that runs the program's absolute
// path, shows the icon file lying beside the program with its name (".svg", else
// ".png"), or the theme's icon for programs, and is made executable, as desktops ask of
// launchers they trust. On Windows it is a shell link (".lnk") to the program, with the
// program's first icon and its folder to start in. Either is written beside its place
// and renamed into it, so it appears whole or not at all and replaces an older one in
// one step.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quarnel::platform {

struct ShortcutTarget {
  std::filesystem::path program;  // absolute
  bool console = false;           // talks on a terminal: opened in a terminal window
                                  // (Windows gives such a program its console itself)
};

// The file name ending of shortcuts on this system (".desktop", ".lnk").
std::string ShortcutExtension();

// Makes or replaces the shortcut `file` to `target`. nullopt when made, else why not.
std::optional<std::string> MakeShortcut(const std::filesystem::path& file,
                                        const ShortcutTarget& target);

}  // namespace quarnel::platform
