// A message-only window (HWND_MESSAGE): no screen, no display needed, only messages on
// the thread that made it. Windows builds only.
#pragma once

#include <windows.h>

namespace quarnel::platform {

// Registers the window class `class_name` with `procedure` (once: a second registration
// of the same class is refused by the system and does no harm) and makes one window of it,
// with `user_data` in its GWLP_USERDATA; null when it cannot be made.
HWND CreateHiddenWindow(const wchar_t* class_name, WNDPROC procedure, void* user_data);

}  // namespace quarnel::platform
