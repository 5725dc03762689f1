// UTF-8 encoding of characters, for text that leaves the programs (console, JSON, sockets).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Appends the UTF-8 bytes of one code point (U+0000 to U+10FFFF) to `out`.
void AppendUtf8(std::string& out, char32_t c);

// Decodes the UTF-8 character at text[i] and moves `i` past it. nullopt, with `i` left
// as it was, for malformed UTF-8: a stray or cut-off byte sequence, an overlong form, a
// surrogate or a value past U+10FFFF.
std::optional<char32_t> NextUtf8(std::string_view text, size_t& i);

// Whether the whole text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// UTF-16 text as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace quarnel
