#include "platform/sockets/AsyncSelect_win.h"

#include "platform/base/HiddenWindow_win.h"

namespace quarnel::platform {
namespace {

constexpr UINT kNetworkEvent = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"QuarnelSocketNotifications";

}  // namespace

AsyncSelect::AsyncSelect(WindowTable& windows, SOCKET socket) : windows_(windows), socket_(socket) {
  hidden_ = CreateHiddenWindow(kWindowClass, &AsyncSelect::HiddenWindowProc, this);
}

AsyncSelect::~AsyncSelect() {
  if (hidden_ == nullptr) return;
  ::WSAAsyncSelect(socket_, hidden_, 0, 0);
  ::SetWindowLongPtrW(hidden_, GWLP_USERDATA, 0);
  ::DestroyWindow(hidden_);
}

int32_t AsyncSelect::Target(WindowHandle window, uint32_t message, uint32_t events) {
  if (hidden_ == nullptr) return 10055;  // no buffer space: no window could be made
  window_ = window;
  message_ = message;
  events_ = window == 0 ? 0 : events;
  if (::WSAAsyncSelect(socket_, hidden_, events_ == 0 ? 0 : kNetworkEvent, events_) != 0) {
    return ::WSAGetLastError();
  }
  return 0;
}

// wparam is the socket the event is for: this one, or a connection accepted from it that
// has not been given notifications of its own yet (it inherits its listener's).
LRESULT CALLBACK AsyncSelect::HiddenWindowProc(HWND hidden, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  if (message != kNetworkEvent) return ::DefWindowProcW(hidden, message, wparam, lparam);
  auto* select = reinterpret_cast<AsyncSelect*>(::GetWindowLongPtrW(hidden, GWLP_USERDATA));
  if (select == nullptr || select->window_ == 0) return 0;
  WindowMessage passed;
  passed.message = select->message_;
  passed.wparam = static_cast<uint64_t>(wparam);
  passed.lparam = static_cast<int64_t>(static_cast<uint32_t>(lparam));
  passed.guard = select->alive_;
  passed.guarded = true;
  select->windows_.Post(select->window_, std::move(passed));
  return 0;
}

}  // namespace quarnel::platform
