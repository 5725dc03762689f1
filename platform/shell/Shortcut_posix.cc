#include "platform/fs/ReplacingFile.h"
#include "platform/shell/DesktopEntry.h"
#include "platform/shell/Shortcut.h"

#include <system_error>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

// The icon of a program: a picture file beside it with its name, else the theme's.
std::string IconOf(const fs::path& program) {
  for (const char* extension : {".svg", ".png"}) {
    fs::path icon = program;
    icon.replace_extension(extension);
    std::error_code ec;
    if (fs::is_regular_file(icon, ec)) return icon.string();
  }
  return "application-x-executable";
}

}  // namespace

std::string ShortcutExtension() { return ".desktop"; }

std::optional<std::string> MakeShortcut(const fs::path& file, const ShortcutTarget& target) {
  DesktopEntry entry;
  entry.name = file.stem().string();
  entry.exec = {target.program.string()};
  entry.icon = IconOf(target.program);
  entry.terminal = target.console;
  const std::optional<std::string> text = FormatDesktopEntry(entry);
  if (!text) return "its name, program or icon path is not UTF-8 text";
  try {
    ReplacingFile out(file);
    out.Write(*text);
    out.SetExecutable();
    out.Commit();
  } catch (const std::system_error& e) {
    return e.code().message();
  }
  return std::nullopt;
}

}  // namespace quarnel::platform
