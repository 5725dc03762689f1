// The message loop of one program window: one thread, handlers run one at a time.
//
// It waits for descriptors to become ready, for timers to fall due and for posted
// messages, and runs the matching handlers on its own thread. Handlers may add or remove
// descriptors and timers (their own included), post messages, run the loop for a while
// from inside (as a window pumps its messages) and ask it to quit. Waiting is on absolute
// deadlines: the system's timer is armed at the earliest one.
//
// EventLoop.cc holds what both systems share (timers, posted messages, running);
// EventLoop_posix.cc waits with epoll and a timer descriptor; EventLoop_win.cc pumps the
// messages of a message-only window and waits on a high-resolution waitable timer, with
// sockets as descriptors.
//
// The loop owns its descriptors for waiting only; callers keep owning the descriptors they
// watch and must stop watching before closing them. It knows nothing above descriptors,
// timers and messages: windows live in a table the program keeps beside its loop
// (platform/window/WindowTable.h).
#pragma once

#include "platform/loop/Clock.h"
#include "platform/loop/TimerQueue.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace quarnel::platform {

class CrossThreadQueue;

// What a descriptor is watched for, and what it is ready for.
enum Readiness : uint32_t {
  kReadable = 1u << 0,
  kWritable = 1u << 1,
  kPeerClosed = 1u << 2,  // the peer shut down its sending side
  kHangUp = 1u << 3,      // reported whenever watched, asked for or not
  kFailed = 1u << 4,      // an error is pending; reported whenever watched
};

using WatchId = uint64_t;

// What the loop watches: a file descriptor on POSIX systems, a socket on Windows.
#ifdef _WIN32
using Descriptor = uintptr_t;
#else
using Descriptor = int;
#endif

// Posts messages to a loop from any thread. Held by workers (the host name lookup);
// messages posted after the loop has gone are dropped.
class LoopPoster {
 public:
  virtual ~LoopPoster() = default;
  virtual void Post(std::function<void()> message) = 0;
};

class EventLoop {
 public:
  using Callback = std::function<void()>;
  using ReadyCallback = std::function<void(uint32_t ready)>;

  EventLoop();
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // --- Descriptors
  // Starts watching `fd` for `interest` (Readiness bits); an interest of 0 keeps the watch
  // but reports nothing, not even hang-ups. REQUIRES: fd is not watched already.
  WatchId Watch(Descriptor fd, uint32_t interest, ReadyCallback callback);
  void SetInterest(WatchId id, uint32_t interest);
  // Stops watching; readiness already collected for it is not delivered. Unknown ids are
  // ignored.
  void Unwatch(WatchId id);

  // --- Timers
  // One-shot timer at an absolute deadline, or after a delay.
  TimerId RunAt(TimePoint deadline, Callback callback);
  TimerId RunAfter(Duration delay, Callback callback);
  // Periodic timer: first tick one period from now, then on the fixed grid.
  TimerId RunEvery(Duration period, Callback callback);
  // Periodic timer whose first tick is at `first`.
  TimerId RunEveryFrom(TimePoint first, Duration period, Callback callback);
  // False when the timer is unknown or (one-shot) has already fired.
  bool CancelTimer(TimerId id);
  // Ticks a periodic timer skipped because the loop woke more than a period late.
  uint64_t MissedTicks(TimerId id) const;
  static TimePoint Now() { return MonotonicClock::now(); }

  // --- Messages
  // Queues a message; messages run in the order posted, after the current handler.
  void Post(Callback message);
  // Queues a message that waits behind those queued before it, but not for longer than
  // `patience`: when they take longer, it runs next, before the rest of them.
  void PostWithin(Duration patience, Callback message);
  // A poster for other threads; it keeps working (dropping messages) after the loop is gone.
  std::shared_ptr<LoopPoster> ThreadPoster();

  // --- Signals
  // Turns the requests to quit into a posted message that calls `handler` with a signal
  // number: SIGINT and SIGTERM on POSIX systems (blocked on the calling thread while set),
  // the console's Ctrl+C (SIGINT) and Ctrl+Break, close, log-off and shut-down (SIGTERM) on
  // Windows. An empty handler stops.
  void SetQuitSignalHandler(std::function<void(int signal)> handler);

  // --- Running
  // Runs until Quit().
  void Run();
  // Runs until Quit() or until `duration` has passed; true when quit was asked.
  bool RunFor(Duration duration);
  // Runs until `done()` is true, Quit() or `timeout`; returns done().
  bool RunUntil(const std::function<bool()>& done, Duration timeout);
  // One round: waits at most until `until` (none: no limit) for something to happen, then
  // runs descriptor handlers, due timers and the messages queued so far.
  void RunOnce(std::optional<TimePoint> until);
  // Makes every running Run/RunFor/RunUntil return after the current handler.
  void Quit() { quit_ = true; }
  bool QuitRequested() const { return quit_; }

 private:
  // What differs between the systems: the descriptors watched and how the loop waits.
  struct System;

  // Waits until a descriptor is ready, a cross-thread message arrives or `wake` (none: no
  // limit) has come, without waiting at all when `poll` is set; runs descriptor handlers
  // and moves cross-thread messages into the posted queue.
  void Wait(std::optional<TimePoint> wake, bool poll);
  void RunDueTimers();
  void RunPosted();
  // Runs the messages posted within a patience that has run out, in the order posted.
  void RunOverdue();
  void TakeCrossThread();
  // Posts a message calling the quit handler set now, if it is still set by then.
  void PostQuitSignal(int signal);

  std::unique_ptr<System> system_;
  TimerQueue timers_;
  std::deque<Callback> posted_;
  // The messages posted with a patience, also queued in posted_; whichever turn comes
  // first runs one and empties it.
  struct Patient {
    TimePoint latest;
    std::shared_ptr<Callback> message;
  };
  std::deque<Patient> patient_;
  std::shared_ptr<CrossThreadQueue> cross_thread_;
  // The current quit-signal handler; messages for a replaced one are dropped.
  std::shared_ptr<std::function<void(int)>> quit_handler_;
  int run_depth_ = 0;
  bool quit_ = false;
};

}  // namespace quarnel::platform
