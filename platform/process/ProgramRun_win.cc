#include "platform/base/WideText_win.h"
#include "platform/process/CommandLine_win.h"
#include "platform/process/ProgramRun.h"

#include <windows.h>

namespace quarnel::platform {

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      std::chrono::milliseconds limit) {
  ProgramRun run;
  std::wstring command = CommandLineOf(WideFromUtf8(program), args);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // No application name: a bare name is looked for as the system looks for commands.
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    run.error = program + ": " + SystemErrorText(GetLastError());
    return run;
  }
  CloseHandle(process.hThread);
  const DWORD wait = WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit.count()));
  if (wait != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess);
    run.error = program + " did not finish within " + std::to_string(limit.count()) + " ms";
    return run;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  run.ran = true;
  run.exit_code = static_cast<int>(code);
  return run;
}

}  // namespace quarnel::platform
