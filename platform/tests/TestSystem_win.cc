#include "platform/base/WideText_win.h"
#include "platform/process/CommandLine_win.h"
#include "platform/tests/TestSystem.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

// clang-format off
#include <windows.h>  // before the other system headers
#include <aclapi.h>
// clang-format on

namespace quarnel::platform::testing {
namespace {

namespace fs = std::filesystem;

// Whether a file can be created in the folder right now.
bool TakesFiles(const fs::path& folder) {
  const fs::path probe = folder / ("probe-" + std::to_string(GetCurrentProcessId()));
  const HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// What lies in `pipe` now; false once its write ends are all closed.
bool ReadWaiting(HANDLE pipe, std::string& into) {
  DWORD waiting = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) return false;
  char buf[4096];
  while (waiting > 0) {
    DWORD n = 0;
    if (!ReadFile(pipe, buf, std::min<DWORD>(waiting, sizeof buf), &n, nullptr) || n == 0) {
      return false;
    }
    into.append(buf, n);
    waiting -= n;
  }
  return true;
}

// Reads the program's output until it has ended and its pipes are empty. Its pipes may
// never close: a process it started can hold their write ends for longer (Wine starts
// its desktop process from the first program that makes a window, and that stays), so
// the end of the program, not of its pipes, ends the reading.
void ReadUntilEnded(HANDLE process, HANDLE out, std::string& out_text, HANDLE err,
                    std::string& err_text) {
  bool out_open = true, err_open = true;
  for (;;) {
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    const size_t before = out_text.size() + err_text.size();
    if (out_open) out_open = ReadWaiting(out, out_text);
    if (err_open) err_open = ReadWaiting(err, err_text);
    // Everything it wrote before it ended is in the pipes by then.
    if ((ended && out_text.size() + err_text.size() == before) || (!out_open && !err_open)) {
      return;
    }
    if (out_text.size() + err_text.size() == before) WaitForSingleObject(process, 5);
  }
}

}  // namespace

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

StandardInputText::StandardInputText(const std::string& text) {
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, nullptr, static_cast<DWORD>(text.size() + 4096))) {
    throw std::runtime_error("CreatePipe failed");
  }
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(write, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(write);
  saved_ = reinterpret_cast<intptr_t>(GetStdHandle(STD_INPUT_HANDLE));
  pipe_ = reinterpret_cast<intptr_t>(read);
  SetStdHandle(STD_INPUT_HANDLE, read);
  if (!wrote || written != text.size()) throw std::runtime_error("WriteFile to the pipe failed");
}

StandardInputText::~StandardInputText() {
  SetStdHandle(STD_INPUT_HANDLE, reinterpret_cast<HANDLE>(saved_));
  CloseHandle(reinterpret_cast<HANDLE>(pipe_));
}

fs::path CurrentProgram() {
  std::wstring name(32768, L'\0');
  name.resize(GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())));
  return fs::path(name);
}

// A lock on Windows belongs to the handle it was taken through, so a second handle of
// this process meets it exactly as another process would.
bool FreeForAnotherProcess(const fs::path& path) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED whole{};
  const bool free = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                               MAXDWORD, &whole) != 0;
  if (free) UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &whole);
  CloseHandle(h);
  return free;
}

ToolRun RunTool(const fs::path& program, const std::vector<std::string>& args,
                const EnvironmentChanges& environment) {
  std::wstring command = CommandLineOf(program, args);
  std::wstring env = EnvironmentBlockWith(environment);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out_read, out_write, err_read, err_write;
  if (!CreatePipe(&out_read, &out_write, &inherit, 0)) return {-1, "", "no pipe"};
  if (!CreatePipe(&err_read, &err_write, &inherit, 0)) {
    CloseHandle(out_read);
    CloseHandle(out_write);
    return {-1, "", "no pipe"};
  }
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  const HANDLE null_in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = null_in;
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  PROCESS_INFORMATION process{};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                     env.data(), nullptr, &startup, &process);
  const DWORD start_error = GetLastError();
  CloseHandle(out_write);
  CloseHandle(err_write);
  if (null_in != INVALID_HANDLE_VALUE) CloseHandle(null_in);
  ToolRun run{-1, "", ""};
  if (!started) {
    CloseHandle(out_read);
    CloseHandle(err_read);
    run.err = "the program could not be started: " + SystemErrorText(start_error);
    return run;
  }
  ReadUntilEnded(process.hProcess, out_read, run.out, err_read, run.err);
  CloseHandle(out_read);
  CloseHandle(err_read);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  // Exception codes (0xC0000005 and the like) are crashes, not statuses.
  run.status = code >= 0xC0000000u ? -1 : static_cast<int>(code);
  return run;
}

UnwritableFolder::UnwritableFolder(const fs::path& scratch) {
  // A folder whose access list denies everyone new files and folders.
  const fs::path made = scratch / "read-only";
  fs::create_directories(made);
  EXPLICIT_ACCESSW deny{};
  deny.grfAccessPermissions = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;
  deny.grfAccessMode = DENY_ACCESS;
  deny.grfInheritance = NO_INHERITANCE;
  deny.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  deny.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  deny.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
  PACL old_acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::wstring name = made.wstring();
  if (GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &old_acl, nullptr, &descriptor) == ERROR_SUCCESS) {
    PACL new_acl = nullptr;
    if (SetEntriesInAclW(1, &deny, old_acl, &new_acl) == ERROR_SUCCESS) {
      SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, new_acl, nullptr);
      LocalFree(new_acl);
    }
    LocalFree(descriptor);
  }
  if (!TakesFiles(made)) {
    path_ = made;
    made_ = true;
    return;
  }
  std::error_code ignored;
  fs::remove(made, ignored);
  // Wine keeps no access lists; its files follow the build machine's permissions, which
  // do not hold back root. The build machine's folder of kernel devices does, and Wine
  // shows it as Z:\sys.
  const fs::path devices = L"Z:\\sys";
  if (fs::is_directory(devices, ignored) && !TakesFiles(devices)) path_ = devices;
}

UnwritableFolder::~UnwritableFolder() {
  if (!made_) return;
  // An empty, unprotected list: the folder takes its access from its parent again.
  ACL empty{};
  InitializeAcl(&empty, sizeof empty, ACL_REVISION);
  std::wstring name = path_.wstring();
  SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, &empty, nullptr);
}

// Windows has no limit on the size of a process's files.
FileSizeLimit::FileSizeLimit(uint64_t) {}
FileSizeLimit::~FileSizeLimit() = default;

}  // namespace quarnel::platform::testing
