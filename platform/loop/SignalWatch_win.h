// The console's requests to quit (Ctrl+C, Ctrl+Break, closing the console window, logging
// off, shutting down) as messages on a loop.
//
// The system calls a console control routine on a thread of its own, for the whole
// process; each ConsoleControlWatch alive at that moment gets the request as a cross-thread
// message carrying a signal number: SIGINT for Ctrl+C, SIGTERM for the others. For a close,
// log-off or shut-down, the system ends the process as soon as the routine returns, so the
// routine gives the loops a few seconds to close their windows first.
#pragma once

#include "platform/loop/EventLoop.h"

#include <functional>
#include <memory>

namespace quarnel::platform {

class ConsoleControlWatch {
 public:
  // `on_signal` runs on the loop behind `poster`.
  ConsoleControlWatch(std::shared_ptr<LoopPoster> poster, std::function<void(int)> on_signal);
  ~ConsoleControlWatch();
  ConsoleControlWatch(const ConsoleControlWatch&) = delete;
  ConsoleControlWatch& operator=(const ConsoleControlWatch&) = delete;

  // Runs the control routine as the system does for the control `type` (CTRL_C_EVENT and
  // so on); true when a watch took it. Lets tests stand in for a person at the console.
  static bool Deliver(unsigned long type);

 private:
  std::shared_ptr<LoopPoster> poster_;
  std::shared_ptr<std::function<void(int)>> on_signal_;
};

}  // namespace quarnel::platform
