// The process list and program start on Windows: a copy of this test program, started
// under a new name, is seen in the list and gets its arguments unchanged.
#include "platform/base/WideText_win.h"
#include "platform/process/ProcessList.h"
#include "platform/process/ProcessStart.h"
#include "platform/tests/ProcessHelper.h"
#include "platform/tests/TestSystem.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
// clang-format off
#include <windows.h>  // before shellapi.h
#include <shellapi.h>
// clang-format on

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Started by the tests in a copy of this program: writes its arguments after the first,
// each followed by '|', to the file the first names, then waits ten seconds (bounded: a
// copy nobody ends goes by itself).
TEST(ProcessHelper, DISABLED_WritesItsArgumentsAndWaits) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) {
    std::string a = Utf8FromWide(wide[i]);
    if (a.rfind("--gtest", 0) != 0) args.push_back(a);
  }
  LocalFree(wide);
  ASSERT_FALSE(args.empty());
  std::string joined;
  for (size_t i = 1; i < args.size(); ++i) joined += args[i] + "|";
  std::ofstream(fs::path(WideFromUtf8(args[0])), std::ios::binary) << joined;
  Sleep(10000);
}

// A copy of this test program under another name, in a folder of its own; the copy it
// started is ended when the test is done.
class CopyOfThisProgram {
 public:
  explicit CopyOfThisProgram(const std::string& name)
      : folder_(fs::path(::testing::TempDir()) /
                ("process-test-" + std::to_string(testing::CurrentProcessId()))),
        path_(folder_ / name) {
    fs::create_directories(folder_);
    fs::copy_file(testing::CurrentProgram(), path_, fs::copy_options::overwrite_existing);
  }
  ~CopyOfThisProgram() {
    if (HANDLE h = pid_ ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid_) : nullptr) {
      TerminateProcess(h, 1);
      WaitForSingleObject(h, 5000);
      CloseHandle(h);
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  StartedProgram Start(const fs::path& out, std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(kProcessHelperFlags[0]),
                               std::string(kProcessHelperFlags[1]), Utf8FromWide(out.wstring())});
    StartedProgram started = StartProgram(path_, args);
    pid_ = static_cast<DWORD>(started.pid);
    return started;
  }
  const fs::path& Folder() const { return folder_; }

 private:
  fs::path folder_;
  fs::path path_;
  DWORD pid_ = 0;
};

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ProcessStartTest, AStartedCopyIsListedAndGetsItsArgumentsUnchanged) {
  const std::vector<std::string> names = RunningProgramNames();
  const std::string self = Utf8FromWide(testing::CurrentProgram().filename().wstring());
  EXPECT_NE(std::find(names.begin(), names.end(), self), names.end()) << self;
  EXPECT_FALSE(IsProgramRunning({"QuarnelTestOnlyName.exe"}));

  CopyOfThisProgram program("QuarnelTestOnlyName.exe");
  const fs::path out = program.Folder() / L"Caf\u00e9 arguments.txt";
  // Spaces, quotes, backslashes before a quote and at the end, an empty argument and
  // text outside the ANSI code page each stay one argument.
  const std::vector<std::string> args = {"A B", "say \"hi\"",           "C:\\end\\",
                                         "",    "\xc3\xa9\xe2\x82\xac", "a\\\"b"};
  const StartedProgram started = program.Start(out, args);
  ASSERT_NE(started.pid, 0) << started.error;
  const auto end = std::chrono::steady_clock::now() + 20s;
  while (Content(out).empty() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(20ms);
  }
  std::string expected;
  for (const std::string& a : args) expected += a + "|";
  EXPECT_EQ(Content(out), expected);
  EXPECT_TRUE(IsProgramRunning({"QUARNELTESTONLYNAME.EXE"}));
  EXPECT_FALSE(IsProgramRunning({"QuarnelTestOnly.exe"}));
}

TEST(ProcessStartTest, AMissingProgramSaysWhy) {
  const StartedProgram missing = StartProgram(L"C:\\no\\such\\folder\\QuarnelOpenDMX.exe", {"S1"});
  EXPECT_EQ(missing.pid, 0);
  EXPECT_FALSE(missing.error.empty());
}

}  // namespace
}  // namespace quarnel::platform
