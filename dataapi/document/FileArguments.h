// The arguments File.Load and File.Save share: the file type and the file name.
#pragma once

#include "dataapi/File.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace quarnel::dataapi {

// Raises "Invalid procedure call or argument" (5) from `source` for a type that is none
// of FileTypeDLS, FileTypeFastDLS and FileTypeBAK.
void CheckFileType(FileType file_type, const char* source);

// The path a file name stands for; nothing when the name is not valid text.
std::optional<std::filesystem::path> PathFromName(std::u16string_view file_name);

}  // namespace quarnel::dataapi
