// The hidden window of a UniSock (internal to the socket object).
//
// Socket notifications, lookup replies and hand-over requests arrive here as messages and
// go to the owning instance. The window's handle is the instance's identity, which its
// ConnectionRequest events give as RequestID.
#pragma once

#include "net/UniSock.h"
#include "platform/window/MessageWindow.h"

#include <string>

namespace quarnel::net {

class UniSock::HiddenWindow : public platform::MessageWindow {
 public:
  HiddenWindow(platform::WindowTable& windows, UniSock& owner)
      : MessageWindow(windows), owner_(owner) {}
  void WindowProc(const platform::WindowMessage& message) override { owner_.WindowProc(message); }

 private:
  UniSock& owner_;
};

}  // namespace quarnel::net
