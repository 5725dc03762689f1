#include "platform/base/HiddenWindow_win.h"

namespace quarnel::platform {

HWND CreateHiddenWindow(const wchar_t* class_name, WNDPROC procedure, void* user_data) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = class_name;
  ::RegisterClassExW(&window_class);
  HWND window = ::CreateWindowExW(0, class_name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  if (window != nullptr) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(user_data));
  }
  return window;
}

}  // namespace quarnel::platform
