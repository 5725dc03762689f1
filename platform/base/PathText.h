// File paths to and from the project's UTF-8 text, alike on every system. A path on
// Windows is wide text, and a narrow string given to it directly is read in the ANSI
// code page; these read and write UTF-8 there too. On Linux they keep the bytes as they are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel::platform {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace quarnel::platform
