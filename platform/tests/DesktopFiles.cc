#include "platform/tests/DesktopFiles.h"

#include <array>
#include <cstdio>
#include <fstream>

namespace quarnel::platform::testing {
namespace {

std::string Unescaped(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    switch (value[++i]) {
      case 's':
        out.push_back(' ');
        break;
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case '\\':
        out.push_back('\\');
        break;
      default:
        out += std::string("\\") + value[i];
    }
  }
  return out;
}

std::string ShellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::map<std::string, std::string> ReadDesktopKeys(const std::filesystem::path& file) {
  std::map<std::string, std::string> keys;
  std::ifstream in(file);
  std::string line;
  bool in_entry = false;
  while (std::getline(in, line)) {
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      in_entry = line == "[Desktop Entry]";
      continue;
    }
    const size_t equals = line.find('=');
    if (in_entry && equals != std::string::npos) {
      keys[line.substr(0, equals)] = Unescaped(std::string_view(line).substr(equals + 1));
    }
  }
  return keys;
}

std::optional<std::vector<std::string>> ExecArguments(std::string_view exec) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < exec.size()) {
    if (exec[i] == ' ') {
      ++i;
      continue;
    }
    std::string word;
    if (exec[i] == '"') {
      for (++i;; ++i) {
        if (i >= exec.size()) return std::nullopt;  // not closed
        const char c = exec[i];
        if (c == '"') break;
        if (c == '\\') {
          if (i + 1 >= exec.size()) return std::nullopt;
          const char next = exec[++i];
          if (next != '"' && next != '`' && next != '$' && next != '\\') return std::nullopt;
          word.push_back(next);
        } else if (c == '`' || c == '$') {
          return std::nullopt;  // must be escaped inside quotes
        } else if (c == '%') {
          if (i + 1 >= exec.size() || exec[i + 1] != '%') return std::nullopt;
          word.push_back('%');
          ++i;
        } else {
          word.push_back(c);
        }
      }
      ++i;
      if (i < exec.size() && exec[i] != ' ') return std::nullopt;
    } else {
      for (; i < exec.size() && exec[i] != ' '; ++i) {
        if (std::string_view("\"'\\><~|&;$*?#()`\t\n").find(exec[i]) != std::string_view::npos) {
          return std::nullopt;  // reserved outside quotes
        }
        word.push_back(exec[i]);
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string DesktopFileComplaints(const std::filesystem::path& file) {
  const std::string command = "desktop-file-validate " + ShellQuoted(file.string()) + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "desktop-file-validate could not be run";
  std::string output;
  std::array<char, 512> buffer;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  if (status != 0 && output.empty()) {
    return "desktop-file-validate failed (status " + std::to_string(status) +
           "); is desktop-file-utils installed (tools/setup.sh)?";
  }
  return output;
}

}  // namespace quarnel::platform::testing
