// The hidden window of a UniSock (internal to the socket object).
//
// Socket notifications and lookup replies arrive here as messages and go to the owning
// instance. The title is the window's handle as decimal text: the instance's identity,
// which its ConnectionRequest events give as RequestID.
#pragma once

#include "net/UniSock.h"
#include "platform/window/MessageWindow.h"

#include <string>

namespace quarnel::net {

class UniSock::HiddenWindow : public platform::MessageWindow {
 public:
  HiddenWindow(platform::EventLoop& loop, UniSock& owner) : MessageWindow(loop), owner_(owner) {
    SetTitle(std::to_string(Handle()));
  }
  UniSock& Owner() const { return owner_; }
  void WindowProc(const platform::WindowMessage& message) override { owner_.WindowProc(message); }

 private:
  UniSock& owner_;
};

}  // namespace quarnel::net
