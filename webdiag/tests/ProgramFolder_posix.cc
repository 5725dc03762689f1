// The program folder's processes on POSIX systems: stand-ins are shell scripts, other
// programs copies of sleep, and /proc says which processes belong to the folder.
#include "webdiag/tests/ProgramFolder.h"

#include <csignal>
#include <fstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::webdiag::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessAlive(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  if (!std::getline(in, stat)) return false;
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

void ProgramFolder::AddStandIn(const std::string& name) {
  const fs::path script = path_ / name;
  std::ofstream(script) << "#!/bin/sh\n"
                        << "{ echo $$; for a in \"$@\"; do echo \"$a\"; done; } > \"$0.tmp\"\n"
                        << "mv \"$0.tmp\" \"$0.started\"\n"
                        << "exec sleep 30\n";
  fs::permissions(script, fs::perms::owner_all);
}

pid_t ProgramFolder::StartNamedProgram(const std::string& name) {
  CopyProgram("/bin/sleep", path_ / name);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const std::string program = (path_ / name).string();
    ::execl(program.c_str(), program.c_str(), "60", static_cast<char*>(nullptr));
    _exit(127);
  }
  started_.push_back(pid);
  // Running as that program once exec is done.
  for (int i = 0; i < 400; ++i) {
    std::error_code ec;
    if (fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) == path_ / name) break;
    std::this_thread::sleep_for(5ms);
  }
  return pid;
}

std::vector<pid_t> ProgramFolder::ProcessesOfFolder() const {
  std::vector<pid_t> pids;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stol(name) == ::getpid()) continue;
    std::error_code link_ec;
    const fs::path exe = fs::read_symlink(entry.path() / "exe", link_ec);
    const std::string command_line = ReadText(entry.path() / "cmdline");
    if ((!link_ec && exe.parent_path() == path_) ||
        command_line.find(path_.string() + "/") != std::string::npos) {
      pids.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  return pids;
}

void EndProcesses(const std::vector<pid_t>& pids) {
  for (pid_t pid : pids) ::kill(pid, SIGKILL);
  // Reaps those that are children of this process; others are not waited for here.
  for (pid_t pid : pids) ::waitpid(pid, nullptr, WNOHANG);
  for (pid_t pid : pids) {
    for (int i = 0; i < 200 && ProcessAlive(pid); ++i) {
      std::this_thread::sleep_for(5ms);
      ::waitpid(pid, nullptr, WNOHANG);
    }
    ::waitpid(pid, nullptr, WNOHANG);
  }
}

}  // namespace quarnel::webdiag::testing
