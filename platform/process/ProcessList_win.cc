#include "platform/base/WideText_win.h"
#include "platform/process/ProcessList.h"

#include <vector>

// clang-format off
#include <windows.h>  // before psapi.h
#include <psapi.h>
// clang-format on

namespace quarnel::platform {

namespace {

// The ids of the running processes; the list grows until it holds them all.
std::vector<DWORD> ProcessIds() {
  std::vector<DWORD> ids(1024);
  for (int turn = 0; turn < 8; ++turn) {
    DWORD bytes = 0;
    const auto size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!EnumProcesses(ids.data(), size, &bytes)) return {};
    if (bytes < size) {
      ids.resize(bytes / sizeof(DWORD));
      return ids;
    }
    ids.resize(ids.size() * 2);
  }
  return ids;
}

// The base name of the process's first module (its program file); empty when the
// process cannot be opened or read.
std::wstring ProgramBaseName(DWORD id) {
  std::wstring name(MAX_PATH, L'\0');
  if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)) {
    HMODULE first = nullptr;
    DWORD needed = 0;
    DWORD length = 0;
    if (EnumProcessModules(process, &first, sizeof first, &needed)) {
      length = GetModuleBaseNameW(process, first, name.data(), static_cast<DWORD>(name.size()));
    }
    CloseHandle(process);
    if (length > 0) {
      name.resize(length);
      return name;
    }
  }
  // A 64-bit process does not show its modules to a 32-bit one: its image name still
  // tells the program.
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return {};
  name.assign(32768, L'\0');
  DWORD size = static_cast<DWORD>(name.size());
  const bool ok = QueryFullProcessImageNameW(process, 0, name.data(), &size) != 0;
  CloseHandle(process);
  if (!ok) return {};
  name.resize(size);
  const size_t slash = name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::vector<std::string> RunningProgramNames() {
  std::vector<std::string> names;
  for (DWORD id : ProcessIds()) {
    if (id == 0) continue;  // the idle process
    const std::wstring name = ProgramBaseName(id);
    if (!name.empty()) names.push_back(Utf8FromWide(name));
  }
  return names;
}

}  // namespace quarnel::platform
