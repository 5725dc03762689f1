// Whether this process may make and change files in a folder, as the system would decide
// when it tried (permissions, access lists, a file system mounted read-only).
#pragma once

#include <filesystem>

namespace quarnel::platform {

// True when `folder` is a folder this process may create files in; false when it is
// missing, not a folder, or closed to this process.
bool CanWriteIn(const std::filesystem::path& folder);

}  // namespace quarnel::platform
