#include "dmxserver/harness/ServerProcess.h"
#include "platform/base/WideText_win.h"
#include "platform/process/CommandLine_win.h"

#include <fstream>
#include <map>
#include <sstream>

// clang-format off
#include <windows.h>  // before tlhelp32.h
#include <tlhelp32.h>
// clang-format on

namespace quarnel::dmx::harness {

namespace {

HANDLE OutputFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(platform::WideFromUtf8(path).c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Suspends or resumes every thread of the process.
void EachThread(DWORD pid, bool suspend) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    if (HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
      if (suspend) {
        SuspendThread(thread);
      } else {
        ResumeThread(thread);
      }
      CloseHandle(thread);
    }
  }
  CloseHandle(snapshot);
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

ServerProcess::ServerProcess(ProcessOptions options) : options_(std::move(options)) {
  std::map<std::string, std::optional<std::string>> changes;
  for (const auto& [name, value] : options_.env) changes[name] = value;
  std::wstring environment = platform::EnvironmentBlockWith(changes);
  std::wstring program = platform::WideFromUtf8(options_.program);
  for (wchar_t& c : program) {
    if (c == L'/') c = L'\\';
  }
  std::wstring command = platform::CommandLineOf(program, options_.args);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE out = OutputFile(options_.output_prefix + ".out");
  const HANDLE err = OutputFile(options_.output_prefix + ".err");
  const HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr);
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE && in != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    // A process group of its own, so that Ctrl+Break can be sent to it alone.
    if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, environment.data(),
                       nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      handle_ = process.hProcess;
      pid_ = static_cast<pid_t>(process.dwProcessId);
    }
  }
  for (HANDLE h : {out, err, in}) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
}

ServerProcess::~ServerProcess() {
  if (Running()) {
    Kill();
    Reap(true);
  }
  if (handle_ != nullptr) CloseHandle(handle_);
}

std::string ServerProcess::ReadOutput(const std::string& path) {
  std::ifstream in(std::filesystem::path(platform::WideFromUtf8(path)), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  std::string text = s.str();
  // The programs' standard output is in text mode: CR LF line ends.
  std::string lf;
  lf.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
  }
  return lf;
}

bool ServerProcess::Reap(bool wait) {
  if (pid_ <= 0 || exit_) return true;
  if (WaitForSingleObject(handle_, wait ? INFINITE : 0) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  exit_ = static_cast<int>(code);
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(handle_, &created, &ended, &kernel, &user)) {
    auto ticks = [](const FILETIME& t) {
      return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    cpu_ = std::chrono::microseconds((ticks(kernel) + ticks(user)) / 10);  // 100 ns ticks
  }
  return true;
}

void ServerProcess::Signal(int) {
  if (!Running()) return;
  EnumWindows(CloseWindowOf, static_cast<LPARAM>(pid_));
  GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(pid_));
}

void ServerProcess::Kill() {
  if (Running()) TerminateProcess(handle_, 1);
}

void ServerProcess::Pause() {
  if (Running()) EachThread(static_cast<DWORD>(pid_), true);
}

void ServerProcess::Resume() {
  if (Running()) EachThread(static_cast<DWORD>(pid_), false);
}

}  // namespace quarnel::dmx::harness
