#include "platform/window/Console.h"

#include <utility>

namespace quarnel::platform {

void ConsoleInput::Take(std::string_view text) {
  pending_.append(text);
  size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    on_line_(line);
  }
}

// The whole lines still waiting, the last unfinished line, then the end. The end can come
// while a line is being handed on (its handler runs the loop, which reads on): the lines
// read with it must still come one by one.
void ConsoleInput::End() {
  Take({});
  if (!pending_.empty()) on_line_(std::exchange(pending_, {}));
  on_end_();
}

}  // namespace quarnel::platform
