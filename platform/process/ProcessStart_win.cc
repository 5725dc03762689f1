#include "platform/base/WideText_win.h"
#include "platform/process/CommandLine_win.h"
#include "platform/process/ProcessStart.h"

#include <memory>

#include <windows.h>

namespace quarnel::platform {

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// A copy of one of this process's standard handles that a child may inherit; null when
// there is none.
Handle InheritableCopy(DWORD which) {
  const HANDLE own = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (own == nullptr || own == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return Handle(copy);
}

struct AttributeListDeleter {
  void operator()(LPPROC_THREAD_ATTRIBUTE_LIST list) const {
    DeleteProcThreadAttributeList(list);
    delete[] reinterpret_cast<char*>(list);
  }
};
using AttributeList = std::unique_ptr<_PROC_THREAD_ATTRIBUTE_LIST, AttributeListDeleter>;

// An attribute list that lets the child inherit `handles` and nothing else.
AttributeList OnlyInheriting(std::vector<HANDLE>& handles) {
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  auto* memory = new char[size];
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(memory);
  if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
    delete[] memory;
    return nullptr;
  }
  AttributeList owned(list);
  if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                 handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
    return nullptr;
  }
  return owned;
}

}  // namespace

// A program named without an extension is its .exe, as on a Windows command line
// (CreateProcess adds none when it is given the file's name).
std::filesystem::path ProgramFile(const std::filesystem::path& program) {
  std::filesystem::path file = program;
  if (!file.has_extension()) file += ".exe";
  return file;
}

StartedProgram StartProgram(const std::filesystem::path& named,
                            const std::vector<std::string>& args) {
  StartedProgram result;
  const std::filesystem::path program = ProgramFile(named);
  std::wstring command = CommandLineOf(program, args);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
  Handle output = InheritableCopy(STD_OUTPUT_HANDLE);
  Handle error = InheritableCopy(STD_ERROR_HANDLE);

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_SHOWMINIMIZED;
  startup.StartupInfo.hStdInput = input.get() == INVALID_HANDLE_VALUE ? nullptr : input.get();
  startup.StartupInfo.hStdOutput = output.get();
  startup.StartupInfo.hStdError = error.get();
  std::vector<HANDLE> inherited;
  for (HANDLE h : {startup.StartupInfo.hStdInput, startup.StartupInfo.hStdOutput,
                   startup.StartupInfo.hStdError}) {
    if (h != nullptr) inherited.push_back(h);
  }
  AttributeList attributes;
  if (!inherited.empty()) attributes = OnlyInheriting(inherited);
  startup.lpAttributeList = attributes.get();

  const DWORD flags =
      DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP | (attributes ? EXTENDED_STARTUPINFO_PRESENT : 0);
  PROCESS_INFORMATION process{};
  // Without the attribute list the standard handles cannot be passed alone: then none is.
  const BOOL started = CreateProcessW(program.wstring().c_str(), command.data(), nullptr, nullptr,
                                      attributes ? TRUE : FALSE, flags, nullptr, nullptr,
                                      &startup.StartupInfo, &process);
  if (!started) {
    result.error = SystemErrorText(GetLastError());
    return result;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.pid = static_cast<pid_t>(process.dwProcessId);
  return result;
}

}  // namespace quarnel::platform
