// Running a program to its end within a time limit.
#include "platform/process/ProgramRun.h"
#include "platform/tests/ProcessHelper.h"
#include "platform/tests/TestSystem.h"

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

using namespace std::chrono_literals;

struct Case {
  std::string program;
  std::vector<std::string> args;
  std::chrono::milliseconds limit;
  bool ran;
  int exit_code;
  std::string error_part;
};

std::vector<Case> Cases() {
#ifdef _WIN32
  // A copy of this program's helper waits ten seconds.
  const std::string self = testing::CurrentProgram().string();
  const std::string out = ::testing::TempDir() + "program-run-helper.txt";
  return {
      {"cmd", {"/c", "exit 0"}, 10000ms, true, 0, ""},
      {"cmd", {"/c", "exit 7"}, 10000ms, true, 7, ""},
      {"C:\\no\\such\\program.exe", {}, 10000ms, false, -1, "C:\\no\\such\\program.exe: "},
      {self,
       {kProcessHelperFlags[0], kProcessHelperFlags[1], out},
       100ms,
       false,
       -1,
       " did not finish within 100 ms"},
  };
#else
  return {
      {"true", {}, 10000ms, true, 0, ""},
      {"sh", {"-c", "exit 7"}, 10000ms, true, 7, ""},
      {"sh", {"-c", "kill -TERM $$"}, 10000ms, true, 128 + 15, ""},
      {"/no/such/program", {}, 10000ms, false, -1, "/no/such/program: No such file or directory"},
      {"sleep", {"30"}, 100ms, false, -1, "sleep did not finish within 100 ms"},
  };
#endif
}

TEST(ProgramRunTest, ExitStatusSignalsMissingProgramsAndTimeLimits) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.program);
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = RunProgram(c.program, c.args, c.limit);
    EXPECT_EQ(run.ran, c.ran);
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_NE(run.error.find(c.error_part), std::string::npos) << run.error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  }
}

}  // namespace
}  // namespace quarnel::platform
