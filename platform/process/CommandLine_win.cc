#include "platform/process/CommandLine_win.h"

#include "platform/base/WideText_win.h"

#include <algorithm>
#include <cwctype>

#include <windows.h>

namespace quarnel::platform {

namespace {

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

}  // namespace

std::wstring QuotedArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, L'\\');
  out.push_back(L'"');
  return out;
}

std::wstring CommandLineOf(const std::filesystem::path& program,
                           const std::vector<std::string>& args) {
  std::wstring line = QuotedArgument(program.wstring());
  for (const std::string& a : args) line += L" " + QuotedArgument(WideFromUtf8(a));
  return line;
}

std::wstring EnvironmentBlockWith(
    const std::map<std::string, std::optional<std::string>>& changes) {
  std::vector<std::wstring> changed;
  for (const auto& change : changes) changed.push_back(Upper(WideFromUtf8(change.first)));
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* e = strings; e != nullptr && *e != L'\0'; e += wcslen(e) + 1) {
    const std::wstring entry(e);
    const size_t eq = entry.find(L'=', 1);  // hidden entries such as "=C:=C:\" start with '='
    if (std::find(changed.begin(), changed.end(), Upper(entry.substr(0, eq))) != changed.end()) {
      continue;
    }
    block += entry;
    block.push_back(L'\0');
  }
  if (strings != nullptr) FreeEnvironmentStringsW(strings);
  for (const auto& [name, value] : changes) {
    if (!value) continue;
    block += WideFromUtf8(name + "=" + *value);
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

}  // namespace quarnel::platform
