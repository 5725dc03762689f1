// A hidden window that receives messages on the loop's thread.
//
// Derive from it and implement WindowProc. The window is registered in the program's
// window table for its whole life and unregistered when destroyed; messages still queued for it are
// then dropped.
#pragma once

#include "platform/window/WindowTable.h"

#include <string>

namespace quarnel::platform {

class MessageWindow {
 public:
  explicit MessageWindow(WindowTable& windows);
  virtual ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  WindowHandle Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  WindowTable& Windows() const { return windows_; }

  // Handles one message; runs on the loop's thread.
  virtual void WindowProc(const WindowMessage& message) = 0;

 private:
  WindowTable& windows_;
  WindowHandle handle_;
  std::string title_;
};

}  // namespace quarnel::platform
