#include "platform/fs/FileErrors.h"

#include "platform/base/PathText.h"

#include <utility>

namespace quarnel::platform {

Error FileAccessError(std::string source, const std::filesystem::path& path,
                      const std::string& why) {
  return Error(kPathFileAccessError,
               "Path/File access error (\"" + Utf8FromPath(path) + "\": " + why + ")",
               std::move(source));
}

}  // namespace quarnel::platform
