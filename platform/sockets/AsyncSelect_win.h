// The network-event notifications of one socket on Windows (internal to the socket layer).
//
// Windows Sockets posts them itself (WSAAsyncSelect) to a hidden message-only window that
// belongs to the socket; the window passes each on, as it came, to the chosen window of
// the program's window table. Windows Sockets also does the rest: one message per event
// until the call that re-enables it, FD_CLOSE once the data has been read, FD_WRITE after
// a connection is made. When the socket closes, its hidden window goes, and with it any
// message still queued.
#pragma once

#include "platform/window/WindowTable.h"

#include <cstdint>
#include <memory>

#include <windows.h>
#include <winsock2.h>

namespace quarnel::platform {

class AsyncSelect {
 public:
  // The hidden window; check Valid().
  AsyncSelect(WindowTable& windows, SOCKET socket);
  ~AsyncSelect();
  AsyncSelect(const AsyncSelect&) = delete;
  AsyncSelect& operator=(const AsyncSelect&) = delete;

  bool Valid() const { return hidden_ != nullptr; }
  // Where to post and which events (0: none); 0 or a Windows Sockets error.
  int32_t Target(WindowHandle window, uint32_t message, uint32_t events);
  WindowTable& Windows() const { return windows_; }
  WindowHandle Window() const { return window_; }
  uint32_t Message() const { return message_; }
  uint32_t Events() const { return events_; }

 private:
  static LRESULT CALLBACK HiddenWindowProc(HWND hidden, UINT message, WPARAM wparam, LPARAM lparam);

  WindowTable& windows_;
  SOCKET socket_;
  HWND hidden_ = nullptr;
  WindowHandle window_ = 0;
  uint32_t message_ = 0;
  uint32_t events_ = 0;
  // Passed-on messages hold a weak reference: they are dropped once the socket has gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quarnel::platform
