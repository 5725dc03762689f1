// The capture file of the simulated devices: one line per call, flushed as it is
// written so another process can follow the file:
//
//   <ns> <serial> <CALL> <args>
//
// <ns> is monotonic nanoseconds since the capture was opened; the arguments are the
// call's numbers in decimal separated by single spaces, and for WRITE the byte count, a
// space and the bytes in lower-case hexadecimal (a start code is "WRITE 1 00"). A call
// without arguments ends after its name.
//
// Lines are stamped and formatted when the call is made and written to the file by a
// thread of the writer's own, so a slow disk never holds up the caller's frame clock
// (real interfaces have no such file). Destroying the writer writes what is left.
#pragma once

#include "platform/ftdi/LineClock.h"

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace quarnel::ftdi {

class CaptureWriter {
 public:
  // Lines waiting for the disk beyond this many bytes are dropped (and counted).
  static constexpr size_t kMaxQueuedBytes = 64u << 20;

  // Appends to `path`. Check Ok() afterwards; Error() says why it failed.
  CaptureWriter(const std::string& path, LineClock& clock);
  ~CaptureWriter();
  CaptureWriter(const CaptureWriter&) = delete;
  CaptureWriter& operator=(const CaptureWriter&) = delete;

  bool Ok() const { return file_ != nullptr; }
  std::string Error() const;

  void Call(const std::string& serial, const char* call, std::initializer_list<int64_t> args);
  void Write(const std::string& serial, std::span<const uint8_t> bytes);

  // Returns once every line so far is in the file.
  void Flush();

 private:
  void Queue(std::string line);
  void WriterLoop();
  std::string Stamp(const std::string& serial) const;

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  LineClock& clock_;
  LineClock::Nanos origin_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;     // lines queued, or stop
  std::condition_variable written_;  // the queue ran empty
  std::deque<std::string> queue_;
  size_t queued_bytes_ = 0;
  bool writing_ = false;
  bool stop_ = false;
  uint64_t dropped_ = 0;
  std::string error_;
  std::thread writer_;
};

}  // namespace quarnel::ftdi
