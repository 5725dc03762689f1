// The shell's special folders: where the user's and all users' start menus and desktops
// are, by the shell's folder numbers.
//
// On Linux these follow the XDG base-directory and user-directory conventions: the start
// menu is an "applications" folder of desktop entries (the user's under $XDG_DATA_HOME,
// all users' under each folder of $XDG_DATA_DIRS) and the desktop is the user's
// XDG_DESKTOP_DIR from user-dirs.dirs. There is no desktop of all users there. The
// user's folder for data programs keep on this machine is $XDG_STATE_HOME.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quarnel::platform {

inline constexpr int32_t kFolderDesktop = 0;           // the user's desktop
inline constexpr int32_t kFolderStartMenu = 11;        // the user's start menu
inline constexpr int32_t kFolderCommonStartMenu = 22;  // the start menu of all users
inline constexpr int32_t kFolderCommonDesktop = 25;    // the desktop of all users
inline constexpr int32_t kFolderLocalAppData = 28;     // the user's data kept on this machine

// The folders that stand for special folder `id`, in the order to search them; none
// when the system has no such folder or the number is unknown. Whether they exist is
// not checked.
std::vector<std::filesystem::path> SpecialFolderPaths(int32_t id);

}  // namespace quarnel::platform
