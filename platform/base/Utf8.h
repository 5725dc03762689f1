// UTF-8 encoding of characters, for text that leaves the programs (console, JSON, sockets).
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// Appends the UTF-8 bytes of one code point (U+0000 to U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t c);

// UTF-16 text as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace quarnel
