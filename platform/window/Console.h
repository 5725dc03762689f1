// The program's console: what its standard output is (a terminal a person watches, where
// a status line can be redrawn in place, or a file or pipe, where only whole lines make
// sense), and the lines a person types on its standard input, read through the message
// loop so that the window's close (Ctrl+C) still works while the program waits for them.
// Console.cc splits the lines; Console_posix.cc and Console_win.cc read and look.
#pragma once

#include "platform/loop/EventLoop.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quarnel::platform {

struct ConsoleKind {
  bool terminal = false;
  int columns = 80;  // the terminal's width; 80 when unknown
};

ConsoleKind StandardOutputKind();
bool StandardInputIsTerminal();

// Delivers each line of standard input (without its line end) on the loop as it is
// completed, and the end of the input once. Handlers may run the loop (a line may then
// arrive while another is handled) but must not destroy the reader.
class ConsoleInput {
 public:
  ConsoleInput(EventLoop& loop, std::function<void(const std::string& line)> on_line,
               std::function<void()> on_end);
  ~ConsoleInput();
  ConsoleInput(const ConsoleInput&) = delete;
  ConsoleInput& operator=(const ConsoleInput&) = delete;

 private:
  // Takes what was read (a part of a line, or several lines), or the end of the input.
  void Take(std::string_view text);
  void End();

  EventLoop& loop_;
  std::function<void(const std::string&)> on_line_;
  std::function<void()> on_end_;
  // POSIX systems: standard input is watched on the loop.
  WatchId watch_ = 0;
  // Windows: a reader thread posts what it reads; its messages are dropped once the
  // reader has gone.
  std::shared_ptr<int> alive_;
  std::string pending_;
};

}  // namespace quarnel::platform
