// Starting, signalling and stopping a program under test, with a copy of this test
// program as the program (ServerProcessHelper.h).
#include "dmxserver/harness/ServerProcess.h"
#include "dmxserver/tests/ServerProcessHelper.h"
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

namespace quarnel::dmx::harness {

std::string HelperReadyLine(const std::string& word, const std::vector<std::string>& args) {
  std::string line = "ready " + word + " ";
  for (size_t i = 0; i < args.size(); ++i) line += (i ? "|" : "") + args[i];
  return line + "\n";
}

namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

TEST(ServerProcessHelper, DISABLED_TicksUntilAskedToEnd) {
  std::vector<std::string> args;
  for (const std::string& a : ::testing::internal::GetArgvs()) {
    if (a.rfind("--gtest", 0) != 0) args.push_back(a);
  }
  args.erase(args.begin());  // the program
  const char* word = std::getenv("QUARNEL_HELPER_WORD");
  std::fputs(HelperReadyLine(word ? word : "(unset)", args).c_str(), stdout);
  std::fflush(stdout);
  std::fputs("the helper's standard error\n", stderr);
  std::fflush(stderr);
  const int code = RunHelper();
  std::fflush(stdout);
  std::_Exit(code);  // no test summary after "bye"
}

const std::vector<std::string> kArgs = {"a b", "c"};

ProcessOptions Helper(const std::string& name) {
  ProcessOptions options;
  options.program = platform::Utf8FromPath(platform::testing::CurrentProgram());
  options.args.assign(std::begin(kHelperFlags), std::end(kHelperFlags));
  options.args.insert(options.args.end(), kArgs.begin(), kArgs.end());
  options.env = {{"QUARNEL_HELPER_WORD", "hello"}};
  options.output_prefix = ::testing::TempDir() + "server-process-" + name + "-" +
                          std::to_string(platform::testing::CurrentProcessId());
  return options;
}

// Waits until standard output has grown past `size`.
bool GrowsPast(ServerProcess& p, size_t size, Ms timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (p.Stdout().size() > size) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

TEST(ServerProcessTest, RunsWithItsArgumentsAndEnvironmentAndEndsWhenAsked) {
  for (const int request : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(request);
    ServerProcess p(Helper("ask"));
    ASSERT_TRUE(p.Started());
    ASSERT_TRUE(p.WaitForOutput(HelperReadyLine("hello", kArgs), 20000ms)) << p.Stdout();
    EXPECT_TRUE(p.WaitForOutput("tick\n", 5000ms));
    EXPECT_NE(p.Stderr().find("the helper's standard error\n"), std::string::npos);
    EXPECT_TRUE(p.Running());
    p.Signal(request);
    EXPECT_EQ(p.WaitExit(10000ms), 0);
    EXPECT_NE(p.Stdout().find("bye\n"), std::string::npos) << p.Stdout();
    EXPECT_FALSE(p.Running());
    EXPECT_TRUE(p.CpuTime());
  }
}

TEST(ServerProcessTest, APausedProgramDoesNothingUntilResumed) {
  ServerProcess p(Helper("pause"));
  ASSERT_TRUE(p.WaitForOutput("tick\n", 20000ms)) << p.Stdout();
  p.Pause();
  std::this_thread::sleep_for(100ms);  // a tick being written as it stopped lands
  const size_t paused = p.Stdout().size();
  EXPECT_FALSE(GrowsPast(p, paused, 300ms));
  p.Resume();
  EXPECT_TRUE(GrowsPast(p, paused, 5000ms));
  EXPECT_EQ(p.Stop(), 0);
}

TEST(ServerProcessTest, KillEndsItAtOnceAndTheDestructorCleansUp) {
  ServerProcess p(Helper("kill"));
  ASSERT_TRUE(p.WaitForOutput("tick\n", 20000ms)) << p.Stdout();
  p.Kill();
  const std::optional<int> code = p.WaitExit(5000ms);
  ASSERT_TRUE(code);
  EXPECT_NE(*code, 0);
  EXPECT_EQ(p.Stdout().find("bye"), std::string::npos);
  // One still running when its object goes is killed with it.
  ServerProcess left(Helper("left"));
  EXPECT_TRUE(left.Started());
}

}  // namespace
}  // namespace quarnel::dmx::harness
