// Where a line of text ends, by the one rule both text mode and String arrays follow: at
// the earliest CR LF, LF or CR, a CR directly followed by an LF being one CR LF end. So
// text whose lines end in different ways still comes apart at every line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel::net {

struct LineEnd {
  size_t at = 0;            // offset of the line end's first byte
  size_t length = 0;        // 1 or 2
  int32_t line_change = 0;  // 1 CR LF, 2 LF, 3 CR
};

// The first line end in `text` at or after `from`; none when there is none.
inline std::optional<LineEnd> FindLineEnd(std::string_view text, size_t from = 0) {
  const size_t at = text.find_first_of("\r\n", from);
  if (at == std::string_view::npos) return std::nullopt;
  if (text[at] == '\n') return LineEnd{at, 1, 2};
  if (at + 1 < text.size() && text[at + 1] == '\n') return LineEnd{at, 2, 1};
  return LineEnd{at, 1, 3};
}

}  // namespace quarnel::net
