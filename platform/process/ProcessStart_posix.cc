#include "platform/process/ProcessStart.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::platform {

namespace {

// What the started program's process reports through the pipe: its id before it runs
// the program, and the error number when running the program failed.
struct Report {
  int32_t pid = 0;
  int32_t error = 0;
};

// Closes every descriptor from 3 up except `keep`, so that no socket or file of this
// program (a listening port above all) stays open in the started one. Runs between fork
// and exec: system calls only.
void CloseOtherDescriptors(int keep) {
  constexpr unsigned kAll = ~0u;
  const auto low = static_cast<unsigned>(keep);
  if ((low <= 3 || ::syscall(SYS_close_range, 3u, low - 1, 0u) == 0) &&
      ::syscall(SYS_close_range, low + 1, kAll, 0u) == 0) {
    return;
  }
  const long limit = ::sysconf(_SC_OPEN_MAX);
  const int top = limit > 0 && limit < 65536 ? static_cast<int>(limit) : 65536;
  for (int fd = 3; fd < top; ++fd) {
    if (fd != keep) ::close(fd);
  }
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Reads until end of file or `size` bytes; the count read.
size_t ReadAll(int fd, void* data, size_t size) {
  auto* p = static_cast<char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace

std::filesystem::path ProgramFile(const std::filesystem::path& program) { return program; }

StartedProgram StartProgram(const std::filesystem::path& program,
                            const std::vector<std::string>& args) {
  StartedProgram result;
  // Everything the child needs is prepared before fork: after it, only system calls.
  std::string path = program.string();
  std::vector<std::string> strings = {path};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  std::array<int, 2> pipe_fds{};
  if (::pipe2(pipe_fds.data(), O_CLOEXEC) != 0) {
    result.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return result;
  }
  // Above the standard descriptors, which the child sets up itself.
  for (int& fd : pipe_fds) {
    if (fd < 3) {
      const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
      ::close(fd);
      fd = moved;
    }
  }
  const int reader = pipe_fds[0];
  const int writer = pipe_fds[1];
  if (reader < 0 || writer < 0) {
    result.error = std::string("cannot make a pipe: ") + std::strerror(errno);
    if (reader >= 0) ::close(reader);
    if (writer >= 0) ::close(writer);
    return result;
  }

  // Two forks: the middle process starts a new session, forks the program's process and
  // ends at once, so the program is nobody's child here and never waits as a zombie.
  const pid_t middle = ::fork();
  if (middle < 0) {
    result.error = std::string("cannot start a process: ") + std::strerror(errno);
    ::close(reader);
    ::close(writer);
    return result;
  }
  if (middle == 0) {
    ::close(reader);
    ::setsid();
    const pid_t child = ::fork();
    if (child != 0) _exit(child > 0 ? 0 : 1);
    // The program's process. Signals this program blocks (the message loop takes
    // SIGINT and SIGTERM as messages) must not stay blocked in the started one.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd >= 0 && null_fd != 0) {
      ::dup2(null_fd, 0);
      ::close(null_fd);
    }
    CloseOtherDescriptors(writer);
    Report report;
    report.pid = static_cast<int32_t>(::getpid());
    WriteAll(writer, &report.pid, sizeof report.pid);
    ::execv(argv[0], argv.data());
    report.error = errno;
    WriteAll(writer, &report.error, sizeof report.error);
    _exit(127);
  }

  ::close(writer);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  // The pipe closes when the program runs (close on exec) or its process has ended.
  Report report;
  const size_t got_pid = ReadAll(reader, &report.pid, sizeof report.pid);
  const size_t got_error = ReadAll(reader, &report.error, sizeof report.error);
  ::close(reader);
  if (got_pid != sizeof report.pid) {
    result.error = "cannot start a process";
  } else if (got_error == sizeof report.error) {
    result.error = std::strerror(report.error);
  } else {
    result.pid = static_cast<pid_t>(report.pid);
  }
  return result;
}

}  // namespace quarnel::platform
