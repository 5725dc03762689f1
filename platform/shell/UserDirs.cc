#include "platform/shell/UserDirs.h"

#include <string>

namespace quarnel::platform {

namespace fs = std::filesystem;

std::optional<fs::path> DesktopFromUserDirs(std::string_view text, const fs::path& home) {
  constexpr std::string_view kKey = "XDG_DESKTOP_DIR";
  std::optional<fs::path> found;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    auto skip_blanks = [&line] {
      while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    };
    skip_blanks();
    if (!line.starts_with(kKey)) continue;
    line.remove_prefix(kKey.size());
    skip_blanks();
    if (line.empty() || line.front() != '=') continue;
    line.remove_prefix(1);
    skip_blanks();
    if (line.empty() || line.front() != '"') continue;
    line.remove_prefix(1);
    fs::path base;
    if (line.starts_with("$HOME")) {
      line.remove_prefix(5);
      if (!line.empty() && line.front() != '/' && line.front() != '"') continue;
      base = home;
    } else if (line.empty() || line.front() != '/') {
      continue;
    }
    std::string rest;
    bool closed = false;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '"') {
        closed = true;
        break;
      }
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      rest.push_back(line[i]);
    }
    if (!closed) continue;
    if (base.empty()) {
      found = fs::path(rest).lexically_normal();
    } else {
      while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
      found = rest.empty() ? base : (base / rest).lexically_normal();
    }
  }
  return found;
}

}  // namespace quarnel::platform
