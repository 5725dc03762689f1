// Errors of file access, with the numbers and descriptions programs of the platform use.
// The detail names the path and the cause, so that a person reading the message learns
// which file could not be used and why.
#pragma once

#include "platform/base/Error.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace quarnel::platform {

inline constexpr int32_t kPathFileAccessError = 75;

// "Path/File access error (\"path\": why)".
Error FileAccessError(std::string source, const std::filesystem::path& path,
                      const std::string& why);

}  // namespace quarnel::platform
