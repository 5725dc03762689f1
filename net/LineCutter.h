// LineCutter: the complete lines at the front of a text-mode receive buffer.
//
// A line ends at the earliest CR LF, LF or CR (LineEnd.h; GetData cuts String arrays by
// the same rule). Line ends are looked for first as 16-bit
// characters: text sent as UTF-16 is recognised by them and decoded from UTF-16. Failing
// that they are looked for as bytes; a byte line is decoded from UTF-8 when its first
// 2048 bytes are valid UTF-8, else read as ANSI text. A CR that is the last byte received
// closes its line at once, and an LF arriving next is then taken as the rest of that line
// end rather than as an empty line. Scanning remembers how far it got, so a long line
// arriving in many pieces is scanned once.
#pragma once

#include "net/ByteQueue.h"
#include "net/LineEnd.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quarnel::net {

struct TextLine {
  std::string text;                          // UTF-8
  LineBreak line_change = LineBreak::kNone;  // how it ended: never kNone
  bool ansi = false;                         // true: the bytes were not UTF-8 and were read as ANSI
};

class LineCutter {
 public:
  // Bytes of a line checked for UTF-8.
  static constexpr size_t kUtf8CheckLength = 2048;

  // Takes the first complete line off the front of `buffer`; none when no line is complete.
  std::optional<TextLine> Next(ByteQueue& buffer);
  // Forgets what was scanned (the buffer was emptied or replaced).
  void Reset();

 private:
  enum class Pending { kNone, kByteLf, kUnitLf };

  void Consumed(ByteQueue& buffer, size_t count);

  uint64_t front_ = 0;            // stream offset of the buffer's first byte
  uint64_t clean16_[2] = {0, 0};  // per alignment: stream offset scanned free of 16-bit ends
  uint64_t clean8_ = 0;           // stream offset scanned free of CR and LF bytes
  Pending pending_ = Pending::kNone;
};

}  // namespace quarnel::net
