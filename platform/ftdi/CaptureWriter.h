// The capture file of the simulated devices: one line per call, flushed as it is
// written so another process can follow the file:
//
//   <ns> <serial> <CALL> <args>
//
// <ns> is monotonic nanoseconds since the capture was opened; the arguments are the
// call's numbers in decimal separated by single spaces, and for WRITE the byte count, a
// space and the bytes in lower-case hexadecimal (a start code is "WRITE 1 00"). A call
// without arguments ends after its name.
#pragma once

#include "platform/ftdi/LineClock.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

namespace quarnel::ftdi {

class CaptureWriter {
 public:
  // Appends to `path`. Check Ok() afterwards; Error() says why it failed.
  CaptureWriter(const std::string& path, LineClock& clock);

  bool Ok() const { return file_ != nullptr; }
  const std::string& Error() const { return error_; }

  void Call(const std::string& serial, const char* call, std::initializer_list<int64_t> args);
  void Write(const std::string& serial, std::span<const uint8_t> bytes);

 private:
  void Emit(const std::string& line);

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  LineClock& clock_;
  LineClock::Nanos origin_;
  std::string error_;
  std::string line_;  // reused, so a frame's line costs no allocation after the first
};

}  // namespace quarnel::ftdi
