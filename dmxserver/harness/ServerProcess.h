// Runs a program under test as a child process with extra environment variables, its
// output kept in files, and stops it for sure when the test is done. Every wait is
// bounded by a timeout. ServerProcess_posix.cc and ServerProcess_win.cc start, signal
// and reap the process; the rest is shared.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
  // The exit code (on POSIX 128 + signal when killed) once it ended within `timeout`.
  std::optional<int> WaitExit(Duration timeout);
  // Asks the program to end as the system asks programs to. POSIX: sends `signal`
  // (SIGTERM, SIGINT). Windows (either of the two): WM_CLOSE to its windows and
  // Ctrl+Break to its console, where it shares this one.
  void Signal(int signal);
  // Ends it at once (SIGKILL; TerminateProcess).
  void Kill();
  // Holds it still and lets it go on (SIGSTOP and SIGCONT; its threads suspended).
  void Pause();
  void Resume();
  // Stops it: SIGTERM, and a kill when it has not ended within `grace`.
  std::optional<int> Stop(Duration grace = Duration(3000));

  // Standard output and error so far (on Windows with CR LF line ends read as LF).
  std::string Stdout() const;
  std::string Stderr() const;
  // Waits until standard output holds `text`; false on timeout or exit.
  bool WaitForOutput(const std::string& text, Duration timeout);
  // CPU time the program used, known once it has ended.
  std::optional<std::chrono::microseconds> CpuTime() const { return cpu_; }

 private:
  // Notes the exit code and CPU time once the program has ended; false while it runs
  // (with `wait`, waits for it to end).
  bool Reap(bool wait);
  // The file as the program wrote it.
  static std::string ReadOutput(const std::string& path);

  ProcessOptions options_;
  pid_t pid_ = -1;
  void* handle_ = nullptr;  // the system's handle of the process, where it has one
  std::optional<int> exit_;
  std::optional<std::chrono::microseconds> cpu_;
};

}  // namespace quarnel::dmx::harness
