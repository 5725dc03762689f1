// The answer to a request: the status line and an empty line, then the page, which is
// the template with every "{{ServerMessage}}" replaced by the message saying which
// channel is under test. The template's bytes pass through unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::webdiag {

// The marker in the template, matched in exactly this case.
constexpr std::string_view kServerMessageMarker = "{{ServerMessage}}";

// What precedes the page: no header fields.
constexpr std::string_view kStatusLine = "HTTP/1.1 200 OK\r\n\r\n";

// "Testing Channel <n>" for a channel of 1 or more, else "No Tests Running".
std::string StatusMessage(int32_t channel);

// `page` with every marker replaced by `message`, in one pass: a message that holds the
// marker is not replaced again.
std::string FillPage(std::string_view page, std::string_view message);

// The whole answer for a request that asked for `channel`.
std::string Answer(std::string_view page, int32_t channel);

// The page served when the template is missing: the message in a headline and a word
// on what is missing, so that a phone never shows a blank page.
std::string FallbackTemplate();

}  // namespace quarnel::webdiag
