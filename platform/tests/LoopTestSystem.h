// What tests of the message loop need from the system: something the loop can watch that
// the test makes readable or ends at will (a pipe on POSIX systems, a loopback TCP
// connection on Windows, where the loop watches sockets), and a request to quit as a person
// at the console makes one (a signal; Ctrl+C or Ctrl+Break).
#pragma once

#include "platform/loop/EventLoop.h"

namespace quarnel::platform::testing {

class TestChannel {
 public:
  TestChannel();
  ~TestChannel();
  TestChannel(const TestChannel&) = delete;
  TestChannel& operator=(const TestChannel&) = delete;

  // The end the loop watches.
  Descriptor ReadEnd() const { return read_end_; }
  // Makes the read end readable with one byte.
  void Write();
  // Takes one byte from the read end; false when none was there.
  bool ReadOne();
  // Ends the writing side: the read end then reads as ended.
  void CloseWriter();

 private:
  Descriptor read_end_;
  Descriptor write_end_;
  bool writer_open_ = true;
};

// Asks this process to quit as SIGINT (Ctrl+C) or SIGTERM (a kill; Ctrl+Break) would.
void RequestQuit(int signal);

}  // namespace quarnel::platform::testing
