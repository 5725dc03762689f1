#include "platform/window/WindowTable.h"

#include "platform/loop/EventLoop.h"
#include "platform/window/MessageWindow.h"

namespace quarnel::platform {

MessageWindow* WindowTable::Find(WindowHandle handle) const {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : it->second;
}

MessageWindow* WindowTable::FindByTitle(const std::string& title) const {
  MessageWindow* found = nullptr;
  for (const auto& [handle, window] : windows_) {
    if (window->Title() == title && (found == nullptr || handle < found->Handle())) {
      found = window;
    }
  }
  return found;
}

void WindowTable::Post(WindowHandle handle, WindowMessage message) {
  loop_.Post([this, handle, message = std::move(message)] { Send(handle, message); });
}

bool WindowTable::Send(WindowHandle handle, const WindowMessage& message) {
  MessageWindow* window = Find(handle);
  if (window == nullptr || message.Expired()) return false;
  window->WindowProc(message);
  return true;
}

WindowHandle WindowTable::Add(MessageWindow* window) {
  WindowHandle handle = next_handle_++;
  windows_.emplace(handle, window);
  return handle;
}

void WindowTable::Remove(WindowHandle handle) { windows_.erase(handle); }

}  // namespace quarnel::platform
