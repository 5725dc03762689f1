// Runs a program under test as a child process with extra environment variables, its
// output kept in files, and stops it for sure when the test is done. Every wait is
// bounded by a timeout.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/types.h>

namespace quarnel::dmx::harness {

struct ProcessOptions {
  std::string program;
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::string>> env;  // set on top of ours
  std::string output_prefix;  // stdout goes to <prefix>.out, stderr to <prefix>.err
};

class ServerProcess {
 public:
  using Duration = std::chrono::milliseconds;

  // Starts the program; Started() says whether that worked.
  explicit ServerProcess(ProcessOptions options);
  // Kills the program if it still runs.
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  bool Running();
  // The exit code (128 + signal when killed) once it ended within `timeout`.
  std::optional<int> WaitExit(Duration timeout);
  void Signal(int signal);
  // Stops it: SIGTERM, and SIGKILL when it has not ended within `grace`.
  std::optional<int> Stop(Duration grace = Duration(3000));

  std::string Stdout() const;
  std::string Stderr() const;
  // Waits until standard output holds `text`; false on timeout or exit.
  bool WaitForOutput(const std::string& text, Duration timeout);
  // CPU time the program used, known once it has ended.
  std::optional<std::chrono::microseconds> CpuTime() const { return cpu_; }

 private:
  bool Reap(int options);

  ProcessOptions options_;
  pid_t pid_ = -1;
  std::optional<int> exit_;
  std::optional<std::chrono::microseconds> cpu_;
};

}  // namespace quarnel::dmx::harness
