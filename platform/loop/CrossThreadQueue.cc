#include "platform/loop/CrossThreadQueue.h"

#include "platform/base/Error.h"

#include <cerrno>
#include <cstdint>
#include <string>

#include <sys/eventfd.h>
#include <unistd.h>

namespace quarnel::platform {

CrossThreadQueue::CrossThreadQueue() {
  event_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (event_fd_ < 0) {
    throw Error::SystemCall("EventLoop", "cannot create the loop's wake-up descriptor", errno);
  }
}

CrossThreadQueue::~CrossThreadQueue() { ::close(event_fd_); }

void CrossThreadQueue::Post(std::function<void()> message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return;
  messages_.push_back(std::move(message));
  uint64_t one = 1;
  // A full counter still leaves the descriptor readable, which is all that matters.
  [[maybe_unused]] ssize_t n = ::write(event_fd_, &one, sizeof one);
}

std::deque<std::function<void()>> CrossThreadQueue::TakeAll() {
  uint64_t count;
  [[maybe_unused]] ssize_t n = ::read(event_fd_, &count, sizeof count);
  std::lock_guard<std::mutex> lock(mutex_);
  std::deque<std::function<void()>> taken;
  taken.swap(messages_);
  return taken;
}

void CrossThreadQueue::Close() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    dropped.swap(messages_);
  }
}

}  // namespace quarnel::platform
