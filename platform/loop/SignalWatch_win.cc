#include "platform/loop/SignalWatch_win.h"

#include <algorithm>
#include <csignal>
#include <mutex>
#include <vector>

#include <windows.h>

namespace quarnel::platform {
namespace {

// The system keeps one list of control routines per process, so the watches that want
// the requests are a list per process too.
struct Watches {
  std::mutex mutex;
  std::vector<ConsoleControlWatch*> list;
};

Watches& AllWatches() {
  static Watches watches;
  return watches;
}

// How long a close, log-off or shut-down waits for the loops to close their windows. The
// system ends the process after about five seconds whatever happens.
constexpr DWORD kCloseGraceMs = 4500;

BOOL WINAPI ControlRoutine(DWORD type) {
  if (!ConsoleControlWatch::Deliver(type)) return FALSE;
  if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
    // Returning lets the system end the process at once; the program's own exit after its
    // window has closed ends it (and this thread) sooner.
    ::Sleep(kCloseGraceMs);
  }
  return TRUE;
}

}  // namespace

ConsoleControlWatch::ConsoleControlWatch(std::shared_ptr<LoopPoster> poster,
                                         std::function<void(int)> on_signal)
    : poster_(std::move(poster)),
      on_signal_(std::make_shared<std::function<void(int)>>(std::move(on_signal))) {
  Watches& watches = AllWatches();
  std::lock_guard<std::mutex> lock(watches.mutex);
  if (watches.list.empty()) ::SetConsoleCtrlHandler(ControlRoutine, TRUE);
  watches.list.push_back(this);
}

ConsoleControlWatch::~ConsoleControlWatch() {
  Watches& watches = AllWatches();
  std::lock_guard<std::mutex> lock(watches.mutex);
  watches.list.erase(std::remove(watches.list.begin(), watches.list.end(), this),
                     watches.list.end());
  if (watches.list.empty()) ::SetConsoleCtrlHandler(ControlRoutine, FALSE);
}

bool ConsoleControlWatch::Deliver(unsigned long type) {
  int signal = 0;
  switch (type) {
    case CTRL_C_EVENT:
      signal = SIGINT;
      break;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      signal = SIGTERM;
      break;
    default:
      return false;
  }
  Watches& watches = AllWatches();
  std::lock_guard<std::mutex> lock(watches.mutex);
  for (ConsoleControlWatch* watch : watches.list) {
    // The message holds the handler weakly: a watch that has gone by then delivers nothing.
    std::weak_ptr<std::function<void(int)>> handler = watch->on_signal_;
    watch->poster_->Post([handler, signal] {
      if (auto live = handler.lock()) (*live)(signal);
    });
  }
  return !watches.list.empty();
}

}  // namespace quarnel::platform
