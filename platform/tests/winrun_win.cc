// winrun: runs one test program and ends with a status that cannot hide a failure.
//
//   winrun PROGRAM [ARG...]
//
// CTest runs every Windows test through it under Wine. Wine passes on only the low 8 bits
// of an exit code, so a program that crashed with a code such as 0xC0000100 would look
// like one that passed. winrun reads the program's whole exit code and ends with it when it
// fits in 8 bits, else with 255 after saying what the code was. The rest of winrun's own
// command line goes to the program as it stands.
#include <cstdio>
#include <string>

#include <windows.h>

namespace {

// The command line after winrun's own name.
const wchar_t* RestOfCommandLine() {
  const wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

// Standard handles that the program inherits.
HANDLE Inheritable(DWORD which) {
  const HANDLE h = GetStdHandle(which);
  if (h != nullptr && h != INVALID_HANDLE_VALUE) {
    SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return h;
}

}  // namespace

int wmain() {
  std::wstring command = RestOfCommandLine();
  if (command.empty()) {
    std::fprintf(stderr, "usage: winrun PROGRAM [ARG...]\n");
    return 2;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
  startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
  startup.hStdError = Inheritable(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "winrun: the program could not be started (error %lu)\n", GetLastError());
    return 255;
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  if (code > 255) {
    std::fflush(stdout);
    std::fprintf(stderr, "winrun: the program ended with exit code 0x%08lX\n", code);
    return 255;
  }
  return static_cast<int>(code);
}
