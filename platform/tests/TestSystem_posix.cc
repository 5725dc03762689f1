#include "platform/tests/TestSystem.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quarnel::platform::testing {
namespace {

namespace fs = std::filesystem;

// Whether a file can be created in the folder right now.
bool TakesFiles(const fs::path& folder) {
  const fs::path probe = folder / ("probe-" + std::to_string(::getpid()));
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

// The environment of a child: this process's, changed.
std::vector<std::string> ChildEnvironment(const EnvironmentChanges& changes) {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    if (!changes.contains(name)) entries.push_back(entry);
  }
  for (const auto& [name, value] : changes) {
    if (value) entries.push_back(name + "=" + *value);
  }
  return entries;
}

// Reads both pipes to their ends.
void ReadBoth(int out_fd, int err_fd, std::string& out, std::string& err) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* into[2] = {&out, &err};
  int open_count = 2;
  char buf[4096];
  while (open_count > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        into[i]->append(buf, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

int CurrentProcessId() { return static_cast<int>(::getpid()); }

fs::path CurrentProgram() { return fs::read_symlink("/proc/self/exe"); }

bool FreeForAnotherProcess(const fs::path& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
    ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ToolRun RunTool(const fs::path& program, const std::vector<std::string>& args,
                const EnvironmentChanges& environment) {
  std::vector<std::string> argv_text = {program.string()};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text = ChildEnvironment(environment);
  std::vector<char*> envp;
  for (std::string& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);

  int out_pipe[2], err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) return {-1, "", std::strerror(errno)};
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    return {-1, "", std::strerror(errno)};
  }
  const pid_t child = ::fork();
  if (child == 0) {
    const int null_in = ::open("/dev/null", O_RDONLY);
    ::dup2(null_in, STDIN_FILENO);
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  ToolRun run{-1, "", ""};
  ReadBoth(out_pipe[0], err_pipe[0], run.out, run.err);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

UnwritableFolder::UnwritableFolder(const fs::path& scratch) {
  if (::geteuid() != 0) {
    path_ = scratch / "read-only";
    fs::create_directories(path_);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_exec);
    made_ = true;
    return;
  }
  // Permissions do not hold back root; the kernel's own folder of devices does.
  std::error_code ec;
  if (fs::is_directory("/sys", ec) && !TakesFiles("/sys")) path_ = "/sys";
}

UnwritableFolder::~UnwritableFolder() {
  if (!made_) return;
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
}

FileSizeLimit::FileSizeLimit(uint64_t bytes) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  saved_ = limit.rlim_cur;
  saved_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  if (!active_) std::signal(SIGXFSZ, saved_handler_);
}

FileSizeLimit::~FileSizeLimit() {
  if (!active_) return;
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = saved_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, saved_handler_);
}

StandardInputText::StandardInputText(const std::string& text) {
  int fds[2];
  if (::pipe(fds) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  const ssize_t written = ::write(fds[1], text.data(), text.size());
  ::close(fds[1]);
  saved_ = ::dup(STDIN_FILENO);
  ::dup2(fds[0], STDIN_FILENO);
  ::close(fds[0]);
  if (written != static_cast<ssize_t>(text.size())) {
    throw std::system_error(errno, std::generic_category(), "write to the standard input pipe");
  }
}

StandardInputText::~StandardInputText() {
  if (saved_ < 0) return;
  ::dup2(static_cast<int>(saved_), STDIN_FILENO);
  ::close(static_cast<int>(saved_));
}

}  // namespace quarnel::platform::testing
