// The program folder's processes on Windows: stand-ins and other programs are copies of
// a small test program (StandIn_win.cc), and the system's process list says which
// processes run a program of the folder.
#include "platform/base/WideText_win.h"
#include "platform/process/ProcessStart.h"
#include "webdiag/tests/ProgramFolder.h"

#include <thread>

// clang-format off
#include <windows.h>  // before tlhelp32.h
#include <tlhelp32.h>
// clang-format on

namespace quarnel::webdiag::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The program of a process, or an empty path when it cannot be read.
fs::path ProgramOf(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t buffer[MAX_PATH * 2];
  DWORD size = sizeof buffer / sizeof buffer[0];
  const bool ok = QueryFullProcessImageNameW(process, 0, buffer, &size) != 0;
  CloseHandle(process);
  return ok ? fs::path(std::wstring(buffer, size)) : fs::path();
}

}  // namespace

long CurrentProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessAlive(pid_t pid) {
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (!process) return false;
  DWORD code = 0;
  const bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return alive;
}

void ProgramFolder::AddStandIn(const std::string& name) {
  CopyProgram(QUARNEL_STANDIN_PROGRAM, platform::ProgramFile(path_ / name));
}

pid_t ProgramFolder::StartNamedProgram(const std::string& name) {
  CopyProgram(QUARNEL_STANDIN_PROGRAM, platform::ProgramFile(path_ / name));
  const platform::StartedProgram started =
      platform::StartProgram(platform::ProgramFile(path_ / name), {});
  if (started.pid > 0) started_.push_back(started.pid);
  // Running once it has noted itself.
  const fs::path noted = path_ / (fs::path(name).stem().string() + ".started");
  for (int i = 0; i < 400 && !fs::exists(noted); ++i) std::this_thread::sleep_for(5ms);
  return started.pid;
}

std::vector<pid_t> ProgramFolder::ProcessesOfFolder() const {
  std::vector<pid_t> pids;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return pids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    const fs::path program = ProgramOf(entry.th32ProcessID);
    std::error_code ec;
    if (!program.empty() && fs::equivalent(program.parent_path(), path_, ec)) {
      pids.push_back(static_cast<pid_t>(entry.th32ProcessID));
    }
  }
  CloseHandle(snapshot);
  return pids;
}

void EndProcesses(const std::vector<pid_t>& pids) {
  for (pid_t pid : pids) {
    const HANDLE process =
        OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) continue;
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 2000);
    CloseHandle(process);
  }
}

}  // namespace quarnel::webdiag::testing
