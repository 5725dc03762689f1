#include "platform/loop/SignalWatch_posix.h"

#include "platform/base/Error.h"

#include <cerrno>
#include <string>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace quarnel::platform {

SignalWatch::SignalWatch() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, &previous_mask_);
  fd_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  if (fd_ < 0) {
    int error = errno;
    pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
    throw Error::SystemCall("EventLoop", "cannot watch the quit signals", error);
  }
}

SignalWatch::~SignalWatch() {
  ::close(fd_);
  pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
}

std::vector<int> SignalWatch::TakeSignals() {
  std::vector<int> signals;
  signalfd_siginfo info;
  // Bounded: the kernel queues at most one pending instance of each standard signal.
  for (int i = 0; i < 64; ++i) {
    ssize_t n = ::read(fd_, &info, sizeof info);
    if (n != static_cast<ssize_t>(sizeof info)) break;
    signals.push_back(static_cast<int>(info.ssi_signo));
  }
  return signals;
}

}  // namespace quarnel::platform
