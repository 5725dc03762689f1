// Where a program or library keeps the files it writes for itself (caches, tables): its
// own folder, as on the product's systems, when this process may write there; else a
// folder of the user's own, for a program installed for every user in a folder only the
// administrator may change.
#pragma once

#include <filesystem>
#include <string_view>

namespace quarnel::platform {

// The name of the product's folder among the user's folders.
inline constexpr std::string_view kUserDataFolderName = "quarnel";

// `own_folder` when this process may create files in it; else kUserDataFolderName in the
// user's folder for data kept on this machine (kFolderLocalAppData, $XDG_STATE_HOME).
// Empty when neither is known. Whether the user's folder exists is not checked.
std::filesystem::path OwnOrUserDataFolder(const std::filesystem::path& own_folder);

}  // namespace quarnel::platform
