// SIGINT and SIGTERM as readable events of a descriptor.
//
// While it exists the two signals are blocked on the creating thread and collected by a
// signal descriptor, so they arrive in the loop like any other event instead of
// interrupting the program at a random point. The previous signal mask comes back when
// it is destroyed.
#pragma once

#include <vector>

#include <signal.h>

namespace quarnel::platform {

class SignalWatch {
 public:
  SignalWatch();
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  int Fd() const { return fd_; }
  // The signals that have arrived since the last call, in order.
  std::vector<int> TakeSignals();

 private:
  int fd_ = -1;
  sigset_t previous_mask_;
};

}  // namespace quarnel::platform
