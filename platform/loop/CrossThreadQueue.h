// Messages posted to a loop from other threads.
//
// Shared between the loop and the threads that post to it: posting appends under a lock
// and wakes the loop through an event descriptor; the loop takes the whole batch on its
// own thread. Once closed (the loop has gone) further messages are dropped.
#pragma once

#include "platform/loop/EventLoop.h"

#include <deque>
#include <functional>
#include <mutex>

namespace quarnel::platform {

class CrossThreadQueue : public LoopPoster {
 public:
  CrossThreadQueue();
  ~CrossThreadQueue() override;
  CrossThreadQueue(const CrossThreadQueue&) = delete;
  CrossThreadQueue& operator=(const CrossThreadQueue&) = delete;

  void Post(std::function<void()> message) override;

  // The descriptor that becomes readable when messages wait.
  int WakeFd() const { return event_fd_; }
  // Takes every waiting message, oldest first, and clears the wake-up.
  std::deque<std::function<void()>> TakeAll();
  // Drops waiting messages and refuses new ones.
  void Close();

 private:
  int event_fd_ = -1;
  std::mutex mutex_;
  std::deque<std::function<void()>> messages_;
  bool closed_ = false;
};

}  // namespace quarnel::platform
