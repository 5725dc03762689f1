// Where a line of text ends, by the one rule both text mode and String arrays follow: at
// the earliest CR LF, LF or CR, a CR directly followed by an LF being one CR LF end. So
// text whose lines end in different ways still comes apart at every line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel::net {

// The ways a line can end, numbered as the socket object's LineChange property and its
// TextArrival event number them.
enum class LineBreak : int32_t { kNone = 0, kCrLf = 1, kLf = 2, kCr = 3 };

// The bytes of a line end; empty for kNone and for a value outside the four.
inline std::string_view LineBreakBytes(LineBreak line_break) {
  switch (line_break) {
    case LineBreak::kCrLf:
      return "\r\n";
    case LineBreak::kLf:
      return "\n";
    case LineBreak::kCr:
      return "\r";
    case LineBreak::kNone:
      break;
  }
  return {};
}

struct LineEnd {
  size_t at = 0;      // offset of the line end's first byte
  size_t length = 0;  // 1 or 2
  LineBreak line_change = LineBreak::kNone;
};

// The first line end in `text` at or after `from`; none when there is none.
inline std::optional<LineEnd> FindLineEnd(std::string_view text, size_t from = 0) {
  const size_t at = text.find_first_of("\r\n", from);
  if (at == std::string_view::npos) return std::nullopt;
  if (text[at] == '\n') return LineEnd{at, 1, LineBreak::kLf};
  if (at + 1 < text.size() && text[at + 1] == '\n') return LineEnd{at, 2, LineBreak::kCrLf};
  return LineEnd{at, 1, LineBreak::kCr};
}

}  // namespace quarnel::net
