// ByteCursor: reads little-endian numbers and byte runs from a buffer without ever going
// past its end. Every read names what it expects, so that a failure tells the reader of
// the message the byte offset (from the start of the file) and what should have been
// there.
#pragma once

#include "platform/recordset/adtg/AdtgReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::adtg {

class ByteCursor {
 public:
  // `base` is the file offset of data[0]; `limit` names the end for messages ("the end of
  // the file", "the end of the column descriptor").
  ByteCursor(std::string_view data, size_t base, std::string_view limit)
      : data_(data), base_(base), limit_(limit) {}

  size_t offset() const { return base_ + pos_; }
  size_t remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ == data_.size(); }

  uint8_t U8(std::string_view what) {
    Need(1, what);
    return static_cast<uint8_t>(data_[pos_++]);
  }
  uint8_t PeekU8() const { return static_cast<uint8_t>(data_[pos_]); }  // REQUIRES: !AtEnd()
  uint16_t U16(std::string_view what) {
    Need(2, what);
    const auto* p = reinterpret_cast<const uint8_t*>(data_.data() + pos_);
    pos_ += 2;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
  }
  uint32_t U32(std::string_view what) {
    Need(4, what);
    const auto* p = reinterpret_cast<const uint8_t*>(data_.data() + pos_);
    pos_ += 4;
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  std::string_view Take(uint64_t n, std::string_view what) {
    Need(n, what);
    std::string_view out = data_.substr(pos_, static_cast<size_t>(n));
    pos_ += static_cast<size_t>(n);
    return out;
  }
  // The next n bytes as a cursor of their own, whose end is called `limit`.
  ByteCursor Sub(uint64_t n, std::string_view what, std::string_view limit) {
    const size_t start = offset();
    return ByteCursor(Take(n, what), start, limit);
  }

  [[noreturn]] void Fail(std::string expected) const { FailAt(offset(), std::move(expected)); }
  [[noreturn]] static void FailAt(size_t offset, std::string expected) {
    throw AdtgFormatError(offset, std::move(expected));
  }

 private:
  void Need(uint64_t n, std::string_view what) const {
    if (n > remaining()) {
      Fail(std::string(what) + " (" + Count(n) + "), but only " + Count(remaining()) +
           " remain before " + std::string(limit_));
    }
  }

  static std::string Count(uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

  std::string_view data_;
  size_t base_;
  std::string_view limit_;
  size_t pos_ = 0;
};

}  // namespace quarnel::adtg
