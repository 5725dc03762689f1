#include "dmxserver/tests/ServerProcessHelper.h"

#include <cstdio>

#include <windows.h>

namespace quarnel::dmx::harness {

namespace {

constexpr UINT_PTR kTick = 1;
constexpr UINT_PTR kGiveUp = 2;
DWORD main_thread = 0;

LRESULT CALLBACK HelperWindow(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kGiveUp) {
        PostQuitMessage(3);
      } else {
        std::fputs("tick\n", stdout);
        std::fflush(stdout);
      }
      return 0;
    case WM_CLOSE:
      std::fputs("bye\n", stdout);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

BOOL WINAPI ConsoleEvent(DWORD) {
  PostThreadMessageW(main_thread, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

int RunHelper() {
  main_thread = GetCurrentThreadId();
  WNDCLASSW type{};
  type.lpfnWndProc = HelperWindow;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"QuarnelServerProcessHelper";
  RegisterClassW(&type);
  // A top-level window, as the programs have, never shown.
  HWND window = CreateWindowExW(0, type.lpszClassName, L"Helper", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                100, nullptr, nullptr, type.hInstance, nullptr);
  if (window == nullptr) {
    std::fputs("no window\n", stdout);
    return 4;
  }
  SetConsoleCtrlHandler(ConsoleEvent, TRUE);
  SetTimer(window, kTick, 20, nullptr);
  SetTimer(window, kGiveUp, 30000, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == WM_CLOSE) {
      HelperWindow(window, WM_CLOSE, 0, 0);  // from the console handler's thread
      continue;
    }
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return static_cast<int>(message.wParam);
}

}  // namespace quarnel::dmx::harness
