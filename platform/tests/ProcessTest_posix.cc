// The process list and program start on Linux: what /proc shows of a started program.
#include "platform/process/ProcessList.h"
#include "platform/process/ProcessStart.h"
#include "platform/process/ProgramFolder.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A line of /proc/<pid>/status, such as "SigBlk:" or "PPid:"; empty when absent.
std::string StatusField(pid_t pid, const std::string& field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field, 0) == 0) {
      std::string value = line.substr(field.size());
      return value.substr(value.find_first_not_of(" \t"));
    }
  }
  return "";
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

bool Alive(pid_t pid) {
  const std::string state = StatusField(pid, "State:");
  return !state.empty() && state[0] != 'Z';
}

// A program of our own under a chosen name: a copy of sleep, since a link would show the
// linked file as the executable.
class NamedProgram {
 public:
  explicit NamedProgram(const std::string& name) {
    folder_ = fs::path(::testing::TempDir()) / ("process-test-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    path_ = folder_ / name;
    fs::copy_file("/bin/sleep", path_, fs::copy_options::overwrite_existing);
  }
  ~NamedProgram() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      WaitUntil([&] { return !Alive(pid_); });
    }
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  StartedProgram Start(const std::vector<std::string>& args) {
    StartedProgram started = StartProgram(path_, args);
    pid_ = started.pid;
    return started;
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path folder_;
  fs::path path_;
  pid_t pid_ = 0;
};

TEST(ProcessListTest, SeesThisProgramAndOneStartedUnderANewName) {
  const std::string self = fs::read_symlink("/proc/self/exe").filename().string();
  const std::vector<std::string> names = RunningProgramNames();
  EXPECT_NE(std::find(names.begin(), names.end(), self), names.end());

  EXPECT_FALSE(IsProgramRunning({"QuarnelTestOnlyName", "QuarnelTestOnlyName.exe"}));
  NamedProgram program("QuarnelTestOnlyName");
  ASSERT_NE(program.Start({"30"}).pid, 0);
  EXPECT_TRUE(IsProgramRunning({"QUARNELTESTONLYNAME", "QuarnelTestOnlyName.exe"}));
  EXPECT_FALSE(IsProgramRunning({"QuarnelTestOnly"}));
}

TEST(ProcessStartTest, StartedProgramIsDetachedAndClean) {
  // The message loop blocks SIGINT and SIGTERM on its thread; a descriptor without
  // close-on-exec stands for a socket the program must not pass on.
  sigset_t blocked, old;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGINT);
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &old), 0);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::dup2(fds[0], 100), 100);

  NamedProgram program("QuarnelSleeper");
  const StartedProgram started = program.Start({"30"});
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  ::close(100);
  ::close(fds[0]);
  ::close(fds[1]);
  ASSERT_NE(started.pid, 0) << started.error;
  EXPECT_TRUE(started.error.empty());
  ASSERT_TRUE(WaitUntil([&] { return StatusField(started.pid, "Name:") == "QuarnelSleeper"; }));

  const std::string proc = "/proc/" + std::to_string(started.pid);
  EXPECT_NE(StatusField(started.pid, "PPid:"), std::to_string(::getpid()));  // not our child
  EXPECT_NE(::getsid(started.pid), ::getsid(0));                             // its own session
  EXPECT_EQ(StatusField(started.pid, "SigBlk:"), "0000000000000000");
  EXPECT_EQ(fs::read_symlink(proc + "/fd/0").string(), "/dev/null");
  EXPECT_FALSE(fs::exists(proc + "/fd/100"));
  EXPECT_EQ(fs::read_symlink(proc + "/exe"), program.Path());
}

TEST(ProcessStartTest, MissingOrUnrunnableProgramSaysWhy) {
  const StartedProgram missing = StartProgram("/nonexistent/QuarnelOpenDMX", {"S1"});
  EXPECT_EQ(missing.pid, 0);
  EXPECT_NE(missing.error.find("No such file"), std::string::npos) << missing.error;

  const fs::path text = fs::path(::testing::TempDir()) / "process-test-not-a-program";
  std::ofstream(text) << "not a program\n";
  fs::permissions(text, fs::perms::owner_all);
  const StartedProgram unrunnable = StartProgram(text, {});
  EXPECT_EQ(unrunnable.pid, 0);
  EXPECT_FALSE(unrunnable.error.empty());
  fs::remove(text);
}

TEST(ProcessStartTest, ArgumentsArriveUnchanged) {
  const fs::path out = fs::path(::testing::TempDir()) / "process-test-args.txt";
  fs::remove(out);
  // Spaces and shell characters stay inside one argument.
  const StartedProgram started = StartProgram(
      "/bin/sh", {"-c", "printf '%s|' \"$@\" > \"$0\"", out.string(), "A B", "$HOME;*", ""});
  ASSERT_NE(started.pid, 0) << started.error;
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(out) && fs::file_size(out) > 0; }));
  std::this_thread::sleep_for(20ms);
  std::ifstream in(out);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "A B|$HOME;*||");
  fs::remove(out);
}

}  // namespace
}  // namespace quarnel::platform
