#include "platform/shell/DesktopEntry.h"

#include "platform/base/Utf8.h"

namespace quarnel::platform {

std::string QuoteExecArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') {
      quoted.push_back('\\');
      quoted.push_back(c);
    } else if (c == '%') {
      quoted += "%%";  // a single per cent sign would start a field code
    } else {
      quoted.push_back(c);
    }
  }
  quoted.push_back('"');
  return quoted;
}

std::string EscapeDesktopValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    switch (value[i]) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case ' ':
        out += i == 0 ? "\\s" : " ";
        break;
      default:
        out.push_back(value[i]);
    }
  }
  return out;
}

std::optional<std::string> FormatDesktopEntry(const DesktopEntry& entry) {
  std::string command;
  for (const std::string& argument : entry.exec) {
    if (!command.empty()) command.push_back(' ');
    command += QuoteExecArgument(argument);
  }
  if (!IsUtf8(entry.name) || !IsUtf8(command) || !IsUtf8(entry.icon)) return std::nullopt;
  std::string text = "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.4\n";
  text += "Name=" + EscapeDesktopValue(entry.name) + "\n";
  text += "Exec=" + EscapeDesktopValue(command) + "\n";
  if (!entry.icon.empty()) text += "Icon=" + EscapeDesktopValue(entry.icon) + "\n";
  text += std::string("Terminal=") + (entry.terminal ? "true" : "false") + "\n";
  return text;
}

}  // namespace quarnel::platform
