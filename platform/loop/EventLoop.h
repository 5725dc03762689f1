// The message loop of one program window: one thread, handlers run one at a time.
//
// It waits for descriptors to become ready, for timers to fall due and for posted
// messages, and runs the matching handlers on its own thread. Handlers may add or remove
// descriptors and timers (their own included), post messages, run the loop for a while
// from inside (as a window pumps its messages) and ask it to quit. Waiting is precise to
// the nanosecond: a timer descriptor is armed at the earliest absolute deadline.
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
#include <unordered_map>

namespace quarnel::platform {

class CrossThreadQueue;
class SignalWatch;

// What a descriptor is watched for, and what it is ready for.
enum Readiness : uint32_t {
  kReadable = 1u << 0,
  kWritable = 1u << 1,
  kPeerClosed = 1u << 2,  // the peer shut down its sending side
  kHangUp = 1u << 3,      // reported whenever watched, asked for or not
  kFailed = 1u << 4,      // an error is pending; reported whenever watched
};

using WatchId = uint64_t;

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
  WatchId Watch(int fd, uint32_t interest, ReadyCallback callback);
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
  // A poster for other threads; it keeps working (dropping messages) after the loop is gone.
  std::shared_ptr<LoopPoster> ThreadPoster();

  // --- Signals
  // Turns SIGINT and SIGTERM into a posted message that calls `handler` with the signal
  // number. Blocks both signals on the calling thread while set; an empty handler stops.
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
  struct WatchEntry {
    int fd;
    uint32_t interest;
    bool registered;
    std::shared_ptr<ReadyCallback> callback;
  };

  void ApplyInterest(WatchId id, WatchEntry& entry, uint32_t interest);
  void ArmTimer(std::optional<TimePoint> deadline);
  void Dispatch(uint64_t key, uint32_t events);
  void RunDueTimers();
  void RunPosted();
  void ReadWakeups();

  int epoll_fd_ = -1;
  int timer_fd_ = -1;
  std::optional<TimePoint> armed_;
  TimerQueue timers_;
  std::deque<Callback> posted_;
  std::unordered_map<WatchId, WatchEntry> watches_;
  WatchId next_watch_ = 1;
  std::shared_ptr<CrossThreadQueue> cross_thread_;
  std::unique_ptr<SignalWatch> signals_;
  WatchId signal_watch_ = 0;
  // The current quit-signal handler; messages for a replaced one are dropped.
  std::shared_ptr<std::function<void(int)>> quit_handler_;
  int run_depth_ = 0;
  bool quit_ = false;
};

}  // namespace quarnel::platform
