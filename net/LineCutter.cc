#include "net/LineCutter.h"

#include "net/LineEnd.h"
#include "net/TextCodec.h"

#include <algorithm>
#include <string_view>

namespace quarnel::net {
namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;

uint16_t UnitAt(const uint8_t* data, size_t i) {
  return static_cast<uint16_t>(data[i] | (data[i + 1] << 8));
}

}  // namespace

void LineCutter::Reset() {
  front_ = 0;
  clean16_[0] = clean16_[1] = 0;
  clean8_ = 0;
  pending_ = Pending::kNone;
}

void LineCutter::Consumed(ByteQueue& buffer, size_t count) {
  buffer.Consume(count);
  front_ += count;
}

std::optional<TextLine> LineCutter::Next(ByteQueue& buffer) {
  // The rest of a CR LF whose CR closed the previous line.
  if (pending_ == Pending::kByteLf && buffer.Size() >= 1) {
    if (buffer.Data()[0] == kLf) Consumed(buffer, 1);
    pending_ = Pending::kNone;
  } else if (pending_ == Pending::kUnitLf && buffer.Size() >= 2) {
    if (UnitAt(buffer.Data(), 0) == kLf) Consumed(buffer, 2);
    pending_ = Pending::kNone;
  }
  if (pending_ != Pending::kNone) return std::nullopt;

  const uint8_t* data = buffer.Data();
  const size_t size = buffer.Size();

  // 16-bit line ends, at even distances from the front.
  const int parity = static_cast<int>(front_ & 1);
  uint64_t& clean16 = clean16_[parity];
  size_t i = clean16 > front_ ? static_cast<size_t>(clean16 - front_) : 0;
  i &= ~size_t{1};
  for (; i + 1 < size; i += 2) {
    uint16_t unit = UnitAt(data, i);
    if (unit != kCr && unit != kLf) continue;
    TextLine line;
    line.text = Utf16LeToUtf8(std::string_view(reinterpret_cast<const char*>(data), i));
    size_t end = i + 2;
    if (unit == kLf) {
      line.line_change = LineBreak::kLf;
    } else if (i + 3 < size && UnitAt(data, i + 2) == kLf) {
      line.line_change = LineBreak::kCrLf;
      end = i + 4;
    } else {
      line.line_change = LineBreak::kCr;
      if (i + 3 >= size) pending_ = Pending::kUnitLf;
    }
    Consumed(buffer, end);
    return line;
  }
  clean16 = front_ + (size & ~size_t{1});

  // Byte line ends.
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const size_t scanned = clean8_ > front_ ? static_cast<size_t>(clean8_ - front_) : 0;
  const std::optional<LineEnd> end = FindLineEnd(all, std::min(scanned, size));
  if (!end) {
    clean8_ = front_ + size;
    return std::nullopt;
  }
  const size_t j = end->at;
  std::string_view bytes = all.substr(0, j);
  TextLine line;
  size_t checked = std::min(j, kUtf8CheckLength);
  if (IsValidUtf8(bytes.substr(0, checked), checked < j)) {
    line.text = SanitizeUtf8(bytes);
  } else {
    line.text = AnsiToUtf8(bytes);
    line.ansi = true;
  }
  line.line_change = end->line_change;
  // A CR that is the last byte so far may be the first half of a CR LF.
  if (end->line_change == LineBreak::kCr && j + 1 == size) pending_ = Pending::kByteLf;
  Consumed(buffer, j + end->length);
  return line;
}

}  // namespace quarnel::net
