// The loop on POSIX systems: epoll over the watched descriptors, a timer descriptor armed
// at the earliest absolute deadline, an event descriptor for messages from other threads
// and a signal descriptor for the quit signals.
#include "platform/base/Error.h"
#include "platform/loop/CrossThreadQueue.h"
#include "platform/loop/EventLoop.h"
#include "platform/loop/SignalWatch_posix.h"

#include <array>
#include <cerrno>
#include <unordered_map>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

// Keys of the loop's own descriptors in the epoll set; watch ids start at 1.
constexpr uint64_t kTimerKey = 0;
constexpr uint64_t kWakeKey = ~uint64_t{0};

[[noreturn]] void Fail(const char* what) { throw Error::SystemCall("EventLoop", what, errno); }

uint32_t ToEpoll(uint32_t interest) {
  uint32_t events = 0;
  if (interest & kReadable) events |= EPOLLIN;
  if (interest & kWritable) events |= EPOLLOUT;
  if (interest & kPeerClosed) events |= EPOLLRDHUP;
  return events;
}

uint32_t FromEpoll(uint32_t events) {
  uint32_t ready = 0;
  if (events & (EPOLLIN | EPOLLPRI)) ready |= kReadable;
  if (events & EPOLLOUT) ready |= kWritable;
  if (events & EPOLLRDHUP) ready |= kPeerClosed;
  if (events & EPOLLHUP) ready |= kHangUp;
  if (events & EPOLLERR) ready |= kFailed;
  return ready;
}

// A descriptor that closes with its owner.
struct OwnedFd {
  int fd = -1;
  explicit OwnedFd(int value) : fd(value) {}
  ~OwnedFd() {
    if (fd >= 0) ::close(fd);
  }
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
};

}  // namespace

struct EventLoop::System {
  struct WatchEntry {
    int fd;
    uint32_t interest;
    bool registered;
    std::shared_ptr<ReadyCallback> callback;
  };

  System()
      : epoll(::epoll_create1(EPOLL_CLOEXEC)),
        timer(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)),
        wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (epoll.fd < 0) Fail("cannot create the message loop");
    if (timer.fd < 0) Fail("cannot create the message loop's timer");
    if (wake.fd < 0) Fail("cannot create the loop's wake-up descriptor");
    epoll_event timer_event{EPOLLIN, {.u64 = kTimerKey}};
    epoll_event wake_event{EPOLLIN, {.u64 = kWakeKey}};
    if (::epoll_ctl(epoll.fd, EPOLL_CTL_ADD, timer.fd, &timer_event) < 0 ||
        ::epoll_ctl(epoll.fd, EPOLL_CTL_ADD, wake.fd, &wake_event) < 0) {
      Fail("cannot set up the message loop");
    }
  }

  void ApplyInterest(WatchId id, WatchEntry& entry, uint32_t interest);
  void ArmTimer(std::optional<TimePoint> deadline);

  OwnedFd epoll;
  OwnedFd timer;
  OwnedFd wake;
  std::optional<TimePoint> armed;
  std::unordered_map<WatchId, WatchEntry> watches;
  WatchId next_watch = 1;
  std::unique_ptr<SignalWatch> signals;
  WatchId signal_watch = 0;
};

EventLoop::EventLoop() : system_(std::make_unique<System>()) {
  int wake_fd = system_->wake.fd;
  cross_thread_ = std::make_shared<CrossThreadQueue>([wake_fd] {
    uint64_t one = 1;
    // A full counter still leaves the descriptor readable, which is all that matters.
    [[maybe_unused]] ssize_t n = ::write(wake_fd, &one, sizeof one);
  });
}

EventLoop::~EventLoop() {
  // Before the wake-up descriptor closes: posters on other threads stop writing to it.
  cross_thread_->Close();
  system_->signals.reset();
}

// --- Descriptors

WatchId EventLoop::Watch(Descriptor fd, uint32_t interest, ReadyCallback callback) {
  WatchId id = system_->next_watch++;
  System::WatchEntry& entry = system_->watches[id];
  entry.fd = fd;
  entry.interest = 0;
  entry.registered = false;
  entry.callback = std::make_shared<ReadyCallback>(std::move(callback));
  try {
    system_->ApplyInterest(id, entry, interest);
  } catch (...) {
    system_->watches.erase(id);
    throw;
  }
  return id;
}

void EventLoop::SetInterest(WatchId id, uint32_t interest) {
  auto it = system_->watches.find(id);
  if (it != system_->watches.end()) system_->ApplyInterest(id, it->second, interest);
}

void EventLoop::Unwatch(WatchId id) {
  auto it = system_->watches.find(id);
  if (it == system_->watches.end()) return;
  if (it->second.registered) ::epoll_ctl(system_->epoll.fd, EPOLL_CTL_DEL, it->second.fd, nullptr);
  system_->watches.erase(it);
}

// A watch with no interest leaves the epoll set altogether: hang-ups and errors are
// reported even with an empty event mask, and a dead socket would wake the loop forever.
void EventLoop::System::ApplyInterest(WatchId id, WatchEntry& entry, uint32_t interest) {
  interest &= kReadable | kWritable | kPeerClosed;
  if (interest == 0) {
    if (entry.registered) ::epoll_ctl(epoll.fd, EPOLL_CTL_DEL, entry.fd, nullptr);
    entry.registered = false;
  } else {
    epoll_event event{ToEpoll(interest), {.u64 = id}};
    int op = entry.registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD;
    if (entry.registered && interest == entry.interest) return;
    if (::epoll_ctl(epoll.fd, op, entry.fd, &event) < 0) Fail("cannot watch a descriptor");
    entry.registered = true;
  }
  entry.interest = interest;
}

// --- Signals

void EventLoop::SetQuitSignalHandler(std::function<void(int)> handler) {
  if (system_->signals) {
    Unwatch(system_->signal_watch);  // before its descriptor closes
    system_->signals.reset();
  }
  quit_handler_.reset();
  if (!handler) return;
  system_->signals = std::make_unique<SignalWatch>();
  quit_handler_ = std::make_shared<std::function<void(int)>>(std::move(handler));
  SignalWatch* watch = system_->signals.get();
  system_->signal_watch = Watch(watch->Fd(), kReadable, [this, watch](uint32_t) {
    for (int signal : watch->TakeSignals()) PostQuitSignal(signal);
  });
}

// --- Waiting

void EventLoop::Wait(std::optional<TimePoint> wake, bool poll) {
  int timeout_ms = -1;
  if (poll) {
    timeout_ms = 0;
  } else {
    system_->ArmTimer(wake);
  }

  std::array<epoll_event, 64> events;
  int count =
      ::epoll_wait(system_->epoll.fd, events.data(), static_cast<int>(events.size()), timeout_ms);
  if (count < 0) {
    if (errno != EINTR) Fail("the message loop cannot wait");
    count = 0;
  }
  for (int i = 0; i < count; ++i) {
    const uint64_t key = events[i].data.u64;
    if (key == kTimerKey) {
      uint64_t expirations;
      [[maybe_unused]] ssize_t n = ::read(system_->timer.fd, &expirations, sizeof expirations);
      system_->armed.reset();
      continue;
    }
    if (key == kWakeKey) {
      uint64_t wakeups;
      [[maybe_unused]] ssize_t n = ::read(system_->wake.fd, &wakeups, sizeof wakeups);
      TakeCrossThread();
      continue;
    }
    // The watch may have gone (or been replaced) by a handler that ran earlier in this round.
    auto it = system_->watches.find(key);
    if (it == system_->watches.end() || !it->second.registered) continue;
    std::shared_ptr<ReadyCallback> callback = it->second.callback;
    (*callback)(FromEpoll(events[i].events));
  }
}

void EventLoop::System::ArmTimer(std::optional<TimePoint> deadline) {
  if (deadline == armed) return;
  itimerspec when{};
  if (deadline) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline->time_since_epoch());
    // A deadline at the clock's zero would disarm the timer; one nanosecond later is fine.
    int64_t count = ns.count() > 0 ? ns.count() : 1;
    when.it_value.tv_sec = count / 1000000000;
    when.it_value.tv_nsec = count % 1000000000;
  }
  if (::timerfd_settime(timer.fd, TFD_TIMER_ABSTIME, &when, nullptr) < 0) {
    Fail("cannot arm the message loop's timer");
  }
  armed = deadline;
}

}  // namespace quarnel::platform
