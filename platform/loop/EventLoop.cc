#include "platform/loop/EventLoop.h"

#include "platform/base/Error.h"
#include "platform/loop/CrossThreadQueue.h"
#include "platform/loop/SignalWatch.h"

#include <array>
#include <cerrno>

#include <sys/epoll.h>
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

}  // namespace

EventLoop::EventLoop() {
  epoll_fd_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (epoll_fd_ < 0) Fail("cannot create the message loop");
  timer_fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  if (timer_fd_ < 0) {
    ::close(epoll_fd_);
    Fail("cannot create the message loop's timer");
  }
  cross_thread_ = std::make_shared<CrossThreadQueue>();
  epoll_event timer_event{EPOLLIN, {.u64 = kTimerKey}};
  epoll_event wake_event{EPOLLIN, {.u64 = kWakeKey}};
  if (::epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, timer_fd_, &timer_event) < 0 ||
      ::epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, cross_thread_->WakeFd(), &wake_event) < 0) {
    ::close(timer_fd_);
    ::close(epoll_fd_);
    Fail("cannot set up the message loop");
  }
}

EventLoop::~EventLoop() {
  cross_thread_->Close();
  signals_.reset();
  ::close(timer_fd_);
  ::close(epoll_fd_);
}

// --- Descriptors

WatchId EventLoop::Watch(int fd, uint32_t interest, ReadyCallback callback) {
  WatchId id = next_watch_++;
  WatchEntry& entry = watches_[id];
  entry.fd = fd;
  entry.interest = 0;
  entry.registered = false;
  entry.callback = std::make_shared<ReadyCallback>(std::move(callback));
  try {
    ApplyInterest(id, entry, interest);
  } catch (...) {
    watches_.erase(id);
    throw;
  }
  return id;
}

void EventLoop::SetInterest(WatchId id, uint32_t interest) {
  auto it = watches_.find(id);
  if (it != watches_.end()) ApplyInterest(id, it->second, interest);
}

void EventLoop::Unwatch(WatchId id) {
  auto it = watches_.find(id);
  if (it == watches_.end()) return;
  if (it->second.registered) ::epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, it->second.fd, nullptr);
  watches_.erase(it);
}

// A watch with no interest leaves the epoll set altogether: hang-ups and errors are
// reported even with an empty event mask, and a dead socket would wake the loop forever.
void EventLoop::ApplyInterest(WatchId id, WatchEntry& entry, uint32_t interest) {
  interest &= kReadable | kWritable | kPeerClosed;
  if (interest == 0) {
    if (entry.registered) ::epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, entry.fd, nullptr);
    entry.registered = false;
  } else {
    epoll_event event{ToEpoll(interest), {.u64 = id}};
    int op = entry.registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD;
    if (entry.registered && interest == entry.interest) return;
    if (::epoll_ctl(epoll_fd_, op, entry.fd, &event) < 0) Fail("cannot watch a descriptor");
    entry.registered = true;
  }
  entry.interest = interest;
}

// --- Timers

TimerId EventLoop::RunAt(TimePoint deadline, Callback callback) {
  return timers_.Add(deadline, Duration::zero(), std::move(callback));
}

TimerId EventLoop::RunAfter(Duration delay, Callback callback) {
  return RunAt(Now() + delay, std::move(callback));
}

TimerId EventLoop::RunEvery(Duration period, Callback callback) {
  return RunEveryFrom(Now() + period, period, std::move(callback));
}

TimerId EventLoop::RunEveryFrom(TimePoint first, Duration period, Callback callback) {
  if (period <= Duration::zero()) period = Duration(1);
  return timers_.Add(first, period, std::move(callback));
}

bool EventLoop::CancelTimer(TimerId id) { return timers_.Cancel(id); }

uint64_t EventLoop::MissedTicks(TimerId id) const { return timers_.MissedTicks(id); }

// --- Messages

void EventLoop::Post(Callback message) { posted_.push_back(std::move(message)); }

std::shared_ptr<LoopPoster> EventLoop::ThreadPoster() { return cross_thread_; }

// --- Signals

void EventLoop::SetQuitSignalHandler(std::function<void(int)> handler) {
  if (signals_) {
    Unwatch(signal_watch_);  // before its descriptor closes
    signals_.reset();
  }
  quit_handler_.reset();
  if (!handler) return;
  signals_ = std::make_unique<SignalWatch>();
  quit_handler_ = std::make_shared<std::function<void(int)>>(std::move(handler));
  SignalWatch* watch = signals_.get();
  signal_watch_ = Watch(watch->Fd(), kReadable, [this, watch](uint32_t) {
    for (int signal : watch->TakeSignals()) {
      std::weak_ptr<std::function<void(int)>> current = quit_handler_;
      Post([current, signal] {
        // Only while that handler is still the one set: its owner may have gone since.
        if (auto handler = current.lock()) (*handler)(signal);
      });
    }
  });
}

// --- Running

void EventLoop::Run() {
  ++run_depth_;
  while (!quit_) RunOnce(std::nullopt);
  if (--run_depth_ == 0) quit_ = false;
}

bool EventLoop::RunFor(Duration duration) {
  TimePoint end = Now() + duration;
  ++run_depth_;
  while (!quit_ && Now() < end) RunOnce(end);
  bool quit = quit_;
  if (--run_depth_ == 0) quit_ = false;
  return quit;
}

bool EventLoop::RunUntil(const std::function<bool()>& done, Duration timeout) {
  TimePoint end = Now() + timeout;
  ++run_depth_;
  while (!quit_ && !done() && Now() < end) RunOnce(end);
  if (--run_depth_ == 0) quit_ = false;
  return done();
}

void EventLoop::RunOnce(std::optional<TimePoint> until) {
  std::optional<TimePoint> wake = timers_.NextDeadline();
  if (until && (!wake || *until < *wake)) wake = until;
  int timeout_ms = -1;
  if (!posted_.empty()) {
    timeout_ms = 0;
  } else if (wake && *wake <= Now()) {
    timeout_ms = 0;
  } else {
    ArmTimer(wake);
  }

  std::array<epoll_event, 64> events;
  int count = ::epoll_wait(epoll_fd_, events.data(), static_cast<int>(events.size()), timeout_ms);
  if (count < 0) {
    if (errno != EINTR) Fail("the message loop cannot wait");
    count = 0;
  }
  for (int i = 0; i < count; ++i) Dispatch(events[i].data.u64, events[i].events);
  RunDueTimers();
  RunPosted();
}

void EventLoop::ArmTimer(std::optional<TimePoint> deadline) {
  if (deadline == armed_) return;
  itimerspec when{};
  if (deadline) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline->time_since_epoch());
    // A deadline at the clock's zero would disarm the timer; one nanosecond later is fine.
    int64_t count = ns.count() > 0 ? ns.count() : 1;
    when.it_value.tv_sec = count / 1000000000;
    when.it_value.tv_nsec = count % 1000000000;
  }
  if (::timerfd_settime(timer_fd_, TFD_TIMER_ABSTIME, &when, nullptr) < 0) {
    Fail("cannot arm the message loop's timer");
  }
  armed_ = deadline;
}

void EventLoop::Dispatch(uint64_t key, uint32_t events) {
  if (key == kTimerKey) {
    uint64_t expirations;
    [[maybe_unused]] ssize_t n = ::read(timer_fd_, &expirations, sizeof expirations);
    armed_.reset();
    return;
  }
  if (key == kWakeKey) {
    ReadWakeups();
    return;
  }
  // The watch may have gone (or been replaced) by a handler that ran earlier in this round.
  auto it = watches_.find(key);
  if (it == watches_.end() || !it->second.registered) return;
  std::shared_ptr<ReadyCallback> callback = it->second.callback;
  (*callback)(FromEpoll(events));
}

void EventLoop::RunDueTimers() {
  TimePoint now = Now();
  // Each timer fires at most once per round: a periodic one moves past `now`.
  while (auto due = timers_.PopDue(now)) (*due->callback)();
}

void EventLoop::RunPosted() {
  // Only the messages queued so far: ones posted by these handlers wait for the next round,
  // so a handler that keeps posting cannot starve descriptors and timers.
  size_t count = posted_.size();
  for (size_t i = 0; i < count && !posted_.empty(); ++i) {
    Callback message = std::move(posted_.front());
    posted_.pop_front();
    message();
  }
}

void EventLoop::ReadWakeups() {
  for (auto& message : cross_thread_->TakeAll()) posted_.push_back(std::move(message));
}

}  // namespace quarnel::platform
