#include "platform/ftdi/CaptureWriter.h"

#include <cerrno>
#include <cstring>

namespace quarnel::ftdi {

CaptureWriter::CaptureWriter(const std::string& path, LineClock& clock)
    : file_(std::fopen(path.c_str(), "ab")), clock_(clock), origin_(clock.Now()) {
  if (!file_) error_ = std::strerror(errno);
}

void CaptureWriter::Call(const std::string& serial, const char* call,
                         std::initializer_list<int64_t> args) {
  line_.clear();
  line_ += std::to_string((clock_.Now() - origin_).count());
  line_ += ' ';
  line_ += serial;
  line_ += ' ';
  line_ += call;
  for (int64_t a : args) {
    line_ += ' ';
    line_ += std::to_string(a);
  }
  line_ += '\n';
  Emit(line_);
}

void CaptureWriter::Write(const std::string& serial, std::span<const uint8_t> bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  line_.clear();
  line_ += std::to_string((clock_.Now() - origin_).count());
  line_ += ' ';
  line_ += serial;
  line_ += " WRITE ";
  line_ += std::to_string(bytes.size());
  line_ += ' ';
  for (uint8_t b : bytes) {
    line_ += kHex[b >> 4];
    line_ += kHex[b & 15];
  }
  line_ += '\n';
  Emit(line_);
}

void CaptureWriter::Emit(const std::string& line) {
  if (!file_) return;
  // One write per line, then flush: a reader never sees half a line for long.
  if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() ||
      std::fflush(file_.get()) != 0) {
    error_ = std::strerror(errno);
  }
}

}  // namespace quarnel::ftdi
