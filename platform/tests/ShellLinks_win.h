// What the shell itself reads from a shortcut (.lnk) on Windows, for tests of the
// shortcuts the programs make.
#pragma once

#include <filesystem>
#include <string>

namespace quarnel::platform::testing {

struct LinkRead {
  std::wstring path;  // empty when the shortcut could not be read
  std::wstring icon;
  int icon_index = -1;
  std::wstring folder;
};

// The shortcut `file` read through the shell's own link object (IShellLinkW).
LinkRead ReadLink(const std::filesystem::path& file);

}  // namespace quarnel::platform::testing
