#include "platform/window/Console.h"

#include <cerrno>
#include <utility>

#include <sys/ioctl.h>
#include <unistd.h>

namespace quarnel::platform {

ConsoleKind StandardOutputKind() {
  ConsoleKind kind;
  kind.terminal = ::isatty(STDOUT_FILENO) != 0;
  winsize size{};
  if (kind.terminal && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    kind.columns = size.ws_col;
  }
  return kind;
}

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

ConsoleInput::ConsoleInput(EventLoop& loop, std::function<void(const std::string&)> on_line,
                           std::function<void()> on_end)
    : loop_(loop), on_line_(std::move(on_line)), on_end_(std::move(on_end)) {
  watch_ = loop_.Watch(STDIN_FILENO, kReadable, [this](uint32_t) {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
      // The end of the input, or an error reading it.
      loop_.Unwatch(watch_);
      watch_ = 0;
      End();
      return;
    }
    Take(std::string_view(buffer, static_cast<size_t>(n)));
  });
}

ConsoleInput::~ConsoleInput() {
  if (watch_ != 0) loop_.Unwatch(watch_);
}

}  // namespace quarnel::platform
