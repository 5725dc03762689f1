// The process's own environment block through the wide calls, so that values outside the
// ANSI code page (a workspace folder with any name) keep every character, and programs
// this one starts inherit what it sets.
#include "platform/base/Environment.h"
#include "platform/base/WideText_win.h"

#include <windows.h>

namespace quarnel::platform {

std::optional<std::string> EnvironmentValue(const std::string& name) {
  const std::wstring wide_name = WideFromUtf8(name);
  std::wstring value(64, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n =
        GetEnvironmentVariableW(wide_name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (n < value.size()) {
      value.resize(n);
      return Utf8FromWide(value);
    }
    value.resize(n);  // n counts the terminating zero when the buffer was too small
  }
}

void SetEnvironmentValue(const std::string& name, const std::optional<std::string>& value) {
  const std::wstring wide_name = WideFromUtf8(name);
  if (value) {
    SetEnvironmentVariableW(wide_name.c_str(), WideFromUtf8(*value).c_str());
  } else {
    SetEnvironmentVariableW(wide_name.c_str(), nullptr);
  }
}

}  // namespace quarnel::platform
