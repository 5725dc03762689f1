#include "platform/window/Console.h"

#include <thread>
#include <utility>

#include <windows.h>

namespace quarnel::platform {

ConsoleKind StandardOutputKind() {
  ConsoleKind kind;
  CONSOLE_SCREEN_BUFFER_INFO info;
  // Only a console has a screen buffer; a file or a pipe has none.
  if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info) != 0) {
    kind.terminal = true;
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) kind.columns = columns;
  }
  return kind;
}

bool StandardInputIsTerminal() {
  DWORD mode;
  return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

// Standard input cannot be waited on with the loop's sockets, so a thread reads it and
// posts each piece to the loop. A read cannot be called off once started: the thread is
// left to end with the input or the process, and what it posts after the reader has gone
// is dropped.
ConsoleInput::ConsoleInput(EventLoop& loop, std::function<void(const std::string&)> on_line,
                           std::function<void()> on_end)
    : loop_(loop),
      on_line_(std::move(on_line)),
      on_end_(std::move(on_end)),
      alive_(std::make_shared<int>(0)) {
  std::weak_ptr<int> alive = alive_;
  std::thread([poster = loop_.ThreadPoster(), alive, this] {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char buffer[4096];
    for (;;) {
      DWORD n = 0;
      if (input == nullptr || input == INVALID_HANDLE_VALUE ||
          !::ReadFile(input, buffer, sizeof buffer, &n, nullptr) || n == 0) {
        break;
      }
      poster->Post([alive, this, text = std::string(buffer, n)] {
        if (!alive.expired()) Take(text);
      });
      if (alive.expired()) return;
    }
    poster->Post([alive, this] {
      if (!alive.expired()) End();
    });
  }).detach();
}

ConsoleInput::~ConsoleInput() = default;

}  // namespace quarnel::platform
