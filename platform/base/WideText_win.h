// Text between the project's UTF-8 and the wide (UTF-16) text of the Windows calls.
// Windows builds only.
#pragma once

#include <string>
#include <string_view>

namespace quarnel::platform {

// Malformed UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
// A surrogate without its partner becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
// The system's words for an error number from GetLastError ("Access is denied."), or
// "Error N." when it has none.
std::string SystemErrorText(unsigned long error);

}  // namespace quarnel::platform
