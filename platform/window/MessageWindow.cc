#include "platform/window/MessageWindow.h"

#include "platform/loop/EventLoop.h"

namespace quarnel::platform {

MessageWindow::MessageWindow(EventLoop& loop) : loop_(loop), handle_(loop.Windows().Add(this)) {}

MessageWindow::~MessageWindow() { loop_.Windows().Remove(handle_); }

}  // namespace quarnel::platform
