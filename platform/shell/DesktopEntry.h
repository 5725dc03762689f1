// Desktop entries: the text of a ".desktop" file that starts one program, as desktops and
// menus on Linux read it (Desktop Entry format, version 1.4).
//
// Values are written with the format's escapes, and the command line with its quoting
// rules, so that any path (spaces, quotes, dollar signs, backslashes, per cent signs)
// comes back unchanged when a desktop runs the entry. Pure: no files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::platform {

struct DesktopEntry {
  std::string name;               // what menus and desktops show
  std::vector<std::string> exec;  // the program and its arguments
  std::string icon;               // an absolute icon file, or an icon name of the theme
  bool terminal = false;          // runs in a terminal window
};

// The entry as file text; nullopt when a value is not UTF-8 text, which the format
// cannot hold.
std::optional<std::string> FormatDesktopEntry(const DesktopEntry& entry);

// One argument of the Exec key, quoted (before the value escapes are applied).
std::string QuoteExecArgument(std::string_view argument);

// A value with the format's escapes for string values (backslash, new line, tab,
// carriage return, a leading space).
std::string EscapeDesktopValue(std::string_view value);

}  // namespace quarnel::platform
