// Host name lookup on Windows: WSAAsyncGetHostByName answers with a message to a hidden
// window of the lookup, which passes the answer on to the program's window.
//
// The system writes the answer into a buffer of the lookup's and then posts; whether a
// cancelled request still writes cannot be known for certain, so the buffer and the hidden
// window stay until the answer has come, also when the lookup object has gone before it.
#include "platform/sockets/AsyncGetHostByName.h"

#include "platform/base/HiddenWindow_win.h"
#include "platform/sockets/Socket.h"
#include "platform/sockets/SocketErrors.h"
#include "platform/sockets/SystemSockets.h"

#include <cstring>
#include <mutex>

#include <windows.h>

namespace quarnel::platform {
namespace {

constexpr UINT kAnswer = WM_APP + 3;
constexpr wchar_t kWindowClass[] = L"QuarnelHostLookup";

}  // namespace

struct AsyncGetHostByName::Result {
  std::mutex mutex;
  std::vector<uint32_t> addresses;
  std::vector<char> buffer = std::vector<char>(MAXGETHOSTSTRUCT);
  HWND hidden = nullptr;
  HANDLE request = nullptr;
  bool answered = false;
  WindowTable* table = nullptr;
  WindowHandle window = 0;
  uint32_t message = 0;
  std::weak_ptr<const void> guard;

  static LRESULT CALLBACK HiddenWindowProc(HWND hidden, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
    auto* owner =
        reinterpret_cast<std::shared_ptr<Result>*>(::GetWindowLongPtrW(hidden, GWLP_USERDATA));
    if (owner == nullptr) return ::DefWindowProcW(hidden, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrW(hidden, GWLP_USERDATA, 0);
      delete owner;  // the window's reference to the result
      return 0;
    }
    if (message != kAnswer) return ::DefWindowProcW(hidden, message, wparam, lparam);
    std::shared_ptr<Result> result = *owner;
    result->Answered(WSAGETASYNCERROR(lparam));
    ::DestroyWindow(hidden);
    return 0;
  }

  void Answered(int32_t error) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      answered = true;
      if (error == 0) {
        const auto* host = reinterpret_cast<const hostent*>(buffer.data());
        if (host->h_addrtype == AF_INET && host->h_length == 4) {
          // Bounded by the buffer the list lies in.
          for (size_t i = 0; host->h_addr_list[i] != nullptr && i < buffer.size() / 4; ++i) {
            uint32_t address;
            std::memcpy(&address, host->h_addr_list[i], 4);
            addresses.push_back(address);
          }
        }
        if (addresses.empty()) error = kWsaNoData;
      }
    }
    // Only while the lookup lives: so does the window table its owner posts to.
    if (guard.expired()) return;
    WindowMessage reply;
    reply.message = message;
    reply.lparam = SocketMessageParam(0, error);
    reply.guard = guard;
    reply.guarded = true;
    table->Post(window, reply);
  }
};

std::unique_ptr<AsyncGetHostByName> AsyncGetHostByName::Start(WindowTable& windows,
                                                              WindowHandle window, uint32_t message,
                                                              const std::string& name,
                                                              int32_t& error) {
  RequireSocketLibrary();
  error = 0;
  std::unique_ptr<AsyncGetHostByName> lookup(new AsyncGetHostByName());
  lookup->result_ = std::make_shared<Result>();
  lookup->alive_ = std::make_shared<int>(0);
  Result& result = *lookup->result_;
  result.table = &windows;
  result.window = window;
  result.message = message;
  result.guard = lookup->alive_;
  // The window holds a reference to the result of its own, dropped when it goes.
  auto* reference = new std::shared_ptr<Result>(lookup->result_);
  result.hidden = CreateHiddenWindow(kWindowClass, &Result::HiddenWindowProc, reference);
  if (result.hidden == nullptr) {
    delete reference;
    error = kWsaENoBufs;
    return nullptr;
  }
  if (name.empty() || name.find('\0') != std::string::npos) {
    // No name to look up: the answer says so, as for a name that is not found.
    ::PostMessageW(result.hidden, kAnswer, 0, WSAMAKEASYNCREPLY(0, kWsaHostNotFound));
    return lookup;
  }
  result.request =
      ::WSAAsyncGetHostByName(result.hidden, kAnswer, name.c_str(), result.buffer.data(),
                              static_cast<int>(result.buffer.size()));
  if (result.request == nullptr) {
    error = LastWsaError();
    ::DestroyWindow(result.hidden);
    return nullptr;
  }
  return lookup;
}

// The answer, if it still comes, is dropped (the guard has gone); the hidden window waits
// for it and then goes.
AsyncGetHostByName::~AsyncGetHostByName() {
  std::lock_guard<std::mutex> lock(result_->mutex);
  if (!result_->answered && result_->request != nullptr) {
    ::WSACancelAsyncRequest(result_->request);
  }
}

std::vector<uint32_t> AsyncGetHostByName::Addresses() const {
  std::lock_guard<std::mutex> lock(result_->mutex);
  return result_->addresses;
}

}  // namespace quarnel::platform
