// The texts of the shell layer: the user's folder settings (user-dirs.dirs) read in, and
// desktop entries written out. Anything read gives an absolute folder or none; anything
// written is one entry of fixed lines, never a line more, and only for UTF-8 text.
#include "platform/base/Utf8.h"
#include "platform/shell/DesktopEntry.h"
#include "platform/shell/UserDirs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  if (auto desktop = quarnel::platform::DesktopFromUserDirs(text, "/home/user")) {
    if (!desktop->is_absolute()) std::abort();
  }

  const auto entry = quarnel::platform::FormatDesktopEntry({text, {text, "--"}, text, true});
  if (entry.has_value() != quarnel::IsUtf8(text)) std::abort();
  // Header, Type, Version, Name, Exec, Icon (when not empty), Terminal.
  if (entry && static_cast<size_t>(std::count(entry->begin(), entry->end(), '\n')) !=
                   (text.empty() ? 6u : 7u)) {
    std::abort();
  }
  return 0;
}
