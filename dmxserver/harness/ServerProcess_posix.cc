#include "dmxserver/harness/ServerProcess.h"

#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quarnel::dmx::harness {

ServerProcess::ServerProcess(ProcessOptions options) : options_(std::move(options)) {
  // Everything the child needs is prepared before fork: after it, only exec-safe calls.
  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const auto& [name, value] : options_.env) {
      if (entry.rfind(name + "=", 0) == 0) replaced = true;
    }
    if (!replaced) env_strings.push_back(entry);
  }
  for (const auto& [name, value] : options_.env) env_strings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> arg_strings = {options_.program};
  arg_strings.insert(arg_strings.end(), options_.args.begin(), options_.args.end());
  std::vector<char*> argv;
  for (std::string& s : arg_strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  const std::string out = options_.output_prefix + ".out";
  const std::string err = options_.output_prefix + ".err";
  const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out_fd < 0 || err_fd < 0) {
    if (out_fd >= 0) ::close(out_fd);
    if (err_fd >= 0) ::close(err_fd);
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0) ::dup2(null_fd, 0);
    // The signal mask and dispositions of the test must not leak into the program.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ::close(out_fd);
  ::close(err_fd);
}

ServerProcess::~ServerProcess() {
  if (Running()) {
    ::kill(pid_, SIGKILL);
    Reap(true);
  }
}

std::string ServerProcess::ReadOutput(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ServerProcess::Reap(bool wait) {
  if (pid_ <= 0 || exit_) return true;
  int status = 0;
  rusage usage{};
  const pid_t r = ::wait4(pid_, &status, wait ? 0 : WNOHANG, &usage);
  if (r != pid_) return false;
  exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  cpu_ = std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  return true;
}

void ServerProcess::Signal(int signal) {
  if (Running()) ::kill(pid_, signal);
}

void ServerProcess::Kill() { Signal(SIGKILL); }
void ServerProcess::Pause() { Signal(SIGSTOP); }
void ServerProcess::Resume() { Signal(SIGCONT); }

}  // namespace quarnel::dmx::harness
