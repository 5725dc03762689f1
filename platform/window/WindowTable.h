// The message windows of one thread, and messages posted to them.
//
// The program keeps one table beside its loop, made before and destroyed after every
// window in it, and hands it to its message windows and to whatever posts to them (the
// socket notifications, the host name lookup). A message window is a hidden target for
// messages, found by its handle or its title.
// A message posted to a handle is queued on the loop and delivered in order; when the
// window has gone by then, or the message carries a guard whose owner has gone, the
// message is dropped. Handles count up from 1 and are never reused for the life of the
// loop, so a stale handle never reaches a newer window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

namespace quarnel::platform {

class EventLoop;
class MessageWindow;

using WindowHandle = int32_t;

struct WindowMessage {
  uint32_t message = 0;
  uint64_t wparam = 0;
  int64_t lparam = 0;
  // When set, the message is delivered only while the guard's owner lives.
  std::weak_ptr<const void> guard;
  bool guarded = false;

  bool Expired() const { return guarded && guard.expired(); }
};

class WindowTable {
 public:
  explicit WindowTable(EventLoop& loop) : loop_(loop) {}
  WindowTable(const WindowTable&) = delete;
  WindowTable& operator=(const WindowTable&) = delete;

  // The loop that delivers posted messages.
  EventLoop& Loop() const { return loop_; }

  MessageWindow* Find(WindowHandle handle) const;
  // The first window with this title, or none.
  MessageWindow* FindByTitle(const std::string& title) const;

  // Queues a message for the window.
  void Post(WindowHandle handle, WindowMessage message);
  // Delivers a message at once, as from inside the current handler; false when the
  // window has gone or the message has expired.
  bool Send(WindowHandle handle, const WindowMessage& message);

 private:
  friend class MessageWindow;
  WindowHandle Add(MessageWindow* window);
  void Remove(WindowHandle handle);

  EventLoop& loop_;
  WindowHandle next_handle_ = 1;
  std::unordered_map<WindowHandle, MessageWindow*> windows_;
};

}  // namespace quarnel::platform
