// Whole-file operations: read a file in one piece, write one from nothing, delete one
// without minding whether it was there. Errors are platform::FileAccessError (75)
// naming the path and the cause.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel::platform {

// The whole content of the file.
std::string ReadWholeFile(const std::filesystem::path& path, const char* source);
// Creates the file (or empties it) and writes the bytes from offset 0.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes, const char* source);
// Deletes the file, ignoring every error (a missing file, a folder, no access).
void DeleteFileQuietly(const std::filesystem::path& path) noexcept;

}  // namespace quarnel::platform
