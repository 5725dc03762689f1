#include "platform/loop/EventLoop.h"

#include "platform/loop/CrossThreadQueue.h"

namespace quarnel::platform {

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

namespace {
// Runs a message shared by two queues once: the first turn takes it.
void TakeAndRun(const std::shared_ptr<EventLoop::Callback>& message) {
  EventLoop::Callback taken = std::move(*message);
  *message = nullptr;
  if (taken) taken();
}
}  // namespace

void EventLoop::PostWithin(Duration patience, Callback message) {
  auto shared = std::make_shared<Callback>(std::move(message));
  patient_.push_back({Now() + patience, shared});
  posted_.push_back([shared] { TakeAndRun(shared); });
}

void EventLoop::RunOverdue() {
  // Front first: those that ran in their turn are dropped, the first still waiting decides.
  while (!patient_.empty()) {
    Patient& front = patient_.front();
    if (*front.message && front.latest > Now()) return;
    std::shared_ptr<Callback> message = std::move(front.message);
    patient_.pop_front();
    TakeAndRun(message);
  }
}

std::shared_ptr<LoopPoster> EventLoop::ThreadPoster() { return cross_thread_; }

void EventLoop::TakeCrossThread() {
  for (auto& message : cross_thread_->TakeAll()) posted_.push_back(std::move(message));
}

void EventLoop::PostQuitSignal(int signal) {
  std::weak_ptr<std::function<void(int)>> current = quit_handler_;
  Post([current, signal] {
    // Only while that handler is still the one set: its owner may have gone since.
    if (auto handler = current.lock()) (*handler)(signal);
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
  const bool poll = !posted_.empty() || (wake && *wake <= Now());
  Wait(wake, poll);
  RunDueTimers();
  RunPosted();
}

void EventLoop::RunDueTimers() {
  TimePoint now = Now();
  // Each timer fires at most once per round: a periodic one moves past `now`.
  while (auto due = timers_.PopDue(now)) (*due->callback)();
}

void EventLoop::RunPosted() {
  // Only the messages queued so far: ones posted by these handlers wait for the next round,
  // so a handler that keeps posting cannot starve descriptors and timers. And only until a
  // timer falls due: a long queue of slow messages (a flood of datagrams on a busy
  // machine) must not hold back the frame clock; the rest follow the timer.
  const std::optional<TimePoint> due = timers_.NextDeadline();
  size_t count = posted_.size();
  for (size_t i = 0; i < count && !posted_.empty(); ++i) {
    Callback message = std::move(posted_.front());
    posted_.pop_front();
    message();
    RunOverdue();
    if (due && Now() >= *due) break;
  }
  RunOverdue();
}

}  // namespace quarnel::platform
