#include "platform/loop/CrossThreadQueue.h"

#include <utility>

namespace quarnel::platform {

CrossThreadQueue::CrossThreadQueue(std::function<void()> wake) : wake_(std::move(wake)) {}

void CrossThreadQueue::Post(std::function<void()> message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return;
  messages_.push_back(std::move(message));
  wake_();
}

std::deque<std::function<void()>> CrossThreadQueue::TakeAll() {
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
    wake_ = nullptr;
    dropped.swap(messages_);
  }
}

}  // namespace quarnel::platform
