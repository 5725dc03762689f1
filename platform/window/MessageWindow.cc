#include "platform/window/MessageWindow.h"

namespace quarnel::platform {

MessageWindow::MessageWindow(WindowTable& windows)
    : windows_(windows), handle_(windows.Add(this)) {}

MessageWindow::~MessageWindow() { windows_.Remove(handle_); }

}  // namespace quarnel::platform
