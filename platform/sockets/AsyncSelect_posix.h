// The network-event notifications of one socket (internal to the socket layer).
//
// Watches the socket on the window table's loop and posts one message per network event
// to the chosen window, then stops watching for that event until the socket call that re-enables
// it. A TCP connection reports FD_CLOSE only once no received data is left to read, and nothing
// after that but FD_WRITE.
#pragma once

#include "platform/loop/EventLoop.h"
#include "platform/window/WindowTable.h"

#include <cstdint>
#include <memory>

namespace quarnel::platform {

class AsyncSelect {
 public:
  enum class Role { kIdle, kDatagram, kListening, kConnecting, kConnected, kDone };

  AsyncSelect(WindowTable& windows, int fd, Role role);
  ~AsyncSelect();
  AsyncSelect(const AsyncSelect&) = delete;
  AsyncSelect& operator=(const AsyncSelect&) = delete;

  // Where to post and which events; keeps what was already posted.
  void Target(WindowHandle window, uint32_t message, uint32_t events);
  WindowTable& Windows() const { return windows_; }
  WindowHandle Window() const { return window_; }
  uint32_t Message() const { return message_; }
  uint32_t Events() const { return events_; }

  void SetRole(Role role);
  // The re-enabling calls.
  void ReenableRead();
  void ReenableAccept();
  void ReenableWrite();

  // Posts what has already happened on a freshly accepted connection.
  void PostInitialEvents();

 private:
  void OnReady(uint32_t ready);
  void OnConnected(uint32_t ready);
  void OnConnectionReady(uint32_t ready);
  void Post(uint32_t event, int32_t error);
  int32_t PendingError() const;
  void Update();

  WindowTable& windows_;
  EventLoop& loop_;
  int fd_;
  Role role_;
  WatchId watch_ = 0;
  WindowHandle window_ = 0;
  uint32_t message_ = 0;
  uint32_t events_ = 0;
  bool read_armed_ = true;
  bool write_armed_ = false;
  bool accept_armed_ = true;
  bool close_armed_ = true;
  bool peer_closed_ = false;
  // Queued messages hold a weak reference: they are dropped once the socket has gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quarnel::platform
