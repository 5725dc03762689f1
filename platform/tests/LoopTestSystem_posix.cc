#include "platform/tests/LoopTestSystem.h"

#include <csignal>
#include <stdexcept>

#include <unistd.h>

namespace quarnel::platform::testing {

TestChannel::TestChannel() {
  int fds[2];
  if (::pipe(fds) != 0) throw std::runtime_error("cannot make a pipe");
  read_end_ = fds[0];
  write_end_ = fds[1];
}

TestChannel::~TestChannel() {
  CloseWriter();
  ::close(read_end_);
}

void TestChannel::Write() {
  if (::write(write_end_, "x", 1) != 1) throw std::runtime_error("cannot write to the pipe");
}

bool TestChannel::ReadOne() {
  char c;
  return ::read(read_end_, &c, 1) == 1;
}

void TestChannel::CloseWriter() {
  if (writer_open_) ::close(write_end_);
  writer_open_ = false;
}

// The signal is blocked on a thread with a quit handler set: it waits in the loop.
void RequestQuit(int signal) {
  if (::raise(signal) != 0) throw std::runtime_error("cannot raise the signal");
}

}  // namespace quarnel::platform::testing
