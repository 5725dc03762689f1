// The text conversions of the socket object.
//
// Text inside the program is UTF-8. On the wire it is UTF-8, UTF-16 (little-endian, as
// stored) or the ANSI code page, which here is Western European code page 1252: every
// byte maps to one character and back, so ANSI bytes survive a round trip; characters
// the code page lacks are sent as "?". Malformed UTF-8 decodes to U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::net {

// True when `bytes` is well-formed UTF-8. With `cut_short` the bytes are the start of a
// longer text, and a sequence broken off at the very end is allowed.
bool IsValidUtf8(std::string_view bytes, bool cut_short);
// UTF-8 with every malformed sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

std::string AnsiToUtf8(std::string_view bytes);
std::string Utf8ToAnsi(std::string_view text);
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);

}  // namespace quarnel::net
