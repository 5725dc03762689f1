// Messages posted to a loop from other threads.
//
// Shared between the loop and the threads that post to it: posting appends under a lock
// and wakes the loop through the function the loop gave (an event descriptor on POSIX
// systems, an event object on Windows); the loop takes the whole batch on its own thread.
// Once closed (the loop has gone) further messages are dropped and the loop is no longer
// woken.
#pragma once

#include "platform/loop/EventLoop.h"

#include <deque>
#include <functional>
#include <mutex>

namespace quarnel::platform {

class CrossThreadQueue : public LoopPoster {
 public:
  // `wake` is called under the queue's lock after each message is added.
  explicit CrossThreadQueue(std::function<void()> wake);
  CrossThreadQueue(const CrossThreadQueue&) = delete;
  CrossThreadQueue& operator=(const CrossThreadQueue&) = delete;

  void Post(std::function<void()> message) override;

  // Takes every waiting message, oldest first.
  std::deque<std::function<void()>> TakeAll();
  // Drops waiting messages, refuses new ones and stops waking the loop.
  void Close();

 private:
  std::function<void()> wake_;
  std::mutex mutex_;
  std::deque<std::function<void()>> messages_;
  bool closed_ = false;
};

}  // namespace quarnel::platform
