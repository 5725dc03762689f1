// The user's folder settings, user-dirs.dirs in the user's configuration folder, as the
// desktops write it: lines such as XDG_DESKTOP_DIR="$HOME/Desktop". Pure: no files.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace quarnel::platform {

// The desktop folder the settings `text` name: a value of `XDG_DESKTOP_DIR="..."` that is
// "$HOME/..." (under `home`) or an absolute path, with backslash escapes undone; the last
// such line counts, lines of other forms are skipped. nullopt when none names one.
std::optional<std::filesystem::path> DesktopFromUserDirs(std::string_view text,
                                                         const std::filesystem::path& home);

}  // namespace quarnel::platform
