#include "webdiag/Page.h"

namespace quarnel::webdiag {

std::string StatusMessage(int32_t channel) {
  return channel >= 1 ? "Testing Channel " + std::to_string(channel) : "No Tests Running";
}

std::string FillPage(std::string_view page, std::string_view message) {
  std::string out;
  out.reserve(page.size() + message.size());
  size_t from = 0;
  for (size_t at = page.find(kServerMessageMarker); at != std::string_view::npos;
       at = page.find(kServerMessageMarker, from)) {
    out.append(page.substr(from, at - from));
    out.append(message);
    from = at + kServerMessageMarker.size();
  }
  out.append(page.substr(from));
  return out;
}

std::string Answer(std::string_view page, int32_t channel) {
  std::string answer(kStatusLine);
  answer += FillPage(page, StatusMessage(channel));
  return answer;
}

std::string FallbackTemplate() {
  return "<!DOCTYPE html>\n"
         "<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         "<link rel=\"icon\" href=\"data:,\"><title>{{ServerMessage}}</title></head>\n"
         "<body style=\"font-family: sans-serif; font-size: 1.3rem\">\n"
         "<h1>{{ServerMessage}}</h1>\n"
         "<p>The page template.htm is missing beside QuarnelWebDiagnostics. Test a channel\n"
         "by opening its number as the address, for example /7; / ends the test.</p>\n"
         "</body></html>\n";
}

}  // namespace quarnel::webdiag
