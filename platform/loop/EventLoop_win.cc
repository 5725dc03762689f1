// The loop on Windows: the messages of a message-only window, pumped with PeekMessage and
// DispatchMessage (so every window of the thread gets its messages); a waitable timer
// armed at the earliest deadline; sockets as descriptors, watched with WSAEventSelect and
// reported level by level with select(), as epoll reports them on POSIX systems; messages
// from other threads woken by a message posted to the loop's window.
//
// The timer: a high-resolution waitable timer where the system has one (Windows 10 1803
// and later), else an ordinary one with the system timer at 1 ms (timeBeginPeriod) while
// the loop lives. QUARNEL_LOOP_TIMER=multimedia makes it a one-shot multimedia timer
// (timeSetEvent) instead, for comparing the two with bench_loop_timer.
#ifndef FD_SETSIZE
#define FD_SETSIZE 1024
#endif

#include "platform/base/Environment.h"
#include "platform/base/Error.h"
#include "platform/base/HiddenWindow_win.h"
#include "platform/base/WideText_win.h"
#include "platform/loop/CrossThreadQueue.h"
#include "platform/loop/EventLoop.h"
#include "platform/loop/SignalWatch_win.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <vector>

#include <windows.h>
#include <winsock2.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace quarnel::platform {
namespace {

constexpr UINT kWakeMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"QuarnelEventLoop";

[[noreturn]] void Fail(const std::string& what, DWORD code = ::GetLastError()) {
  throw Error(static_cast<int32_t>(code), what + " (" + SystemErrorText(code) + ")", "EventLoop");
}

struct OwnedHandle {
  HANDLE handle = nullptr;
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE value) : handle(value) {}
  ~OwnedHandle() {
    if (handle != nullptr) ::CloseHandle(handle);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
};

// 100-nanosecond units, rounded up, for relative due times.
LONGLONG HundredsOfNanoseconds(Duration delay) { return (delay.count() + 99) / 100; }

}  // namespace

struct EventLoop::System {
  struct WatchEntry {
    SOCKET socket;
    uint32_t interest;
    bool registered;
    bool stream;
    std::shared_ptr<ReadyCallback> callback;
  };

  explicit System(EventLoop& loop);
  ~System();

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void ApplyInterest(WatchEntry& entry, uint32_t interest);
  void ArmTimer(std::optional<TimePoint> deadline);
  // Readiness of every watched socket now, without waiting.
  std::vector<std::pair<WatchId, uint32_t>> ReadyNow();
  // Dispatches the messages queued now, up to the moment `due` (the next timer's).
  void Pump(std::optional<TimePoint> due);

  EventLoop& loop;
  HWND window = nullptr;
  OwnedHandle timer;
  bool multimedia = false;
  UINT multimedia_timer = 0;
  bool raised_resolution = false;
  WSAEVENT socket_event = WSA_INVALID_EVENT;
  // Set while a wake-up message is on its way, so that a busy poster sends one, not many.
  std::shared_ptr<std::atomic<bool>> wake_pending = std::make_shared<std::atomic<bool>>(false);
  std::unordered_map<WatchId, WatchEntry> watches;
  WatchId next_watch = 1;
  std::unique_ptr<ConsoleControlWatch> signals;
};

EventLoop::System::System(EventLoop& owner) : loop(owner) {
  window = CreateHiddenWindow(kWindowClass, &System::WindowProc, this);
  if (window == nullptr) Fail("cannot create the message loop's window");

  socket_event = ::WSACreateEvent();
  if (socket_event == WSA_INVALID_EVENT) {
    ::DestroyWindow(window);
    Fail("cannot create the message loop's socket event", ::WSAGetLastError());
  }

  multimedia = EnvironmentValue("QUARNEL_LOOP_TIMER").value_or("") == "multimedia";
  bool coarse = multimedia;
  if (multimedia) {
    timer.handle = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  } else {
    timer.handle = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                            TIMER_ALL_ACCESS);
    if (timer.handle == nullptr) {
      // Older systems: an ordinary timer, as precise as the system timer.
      timer.handle = ::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
      coarse = true;
    }
  }
  if (timer.handle == nullptr) {
    DWORD error = ::GetLastError();
    ::WSACloseEvent(socket_event);
    ::DestroyWindow(window);
    Fail("cannot create the message loop's timer", error);
  }
  // The system timer at 1 ms while the loop lives: the 26 ms frame clock needs it.
  if (coarse) raised_resolution = ::timeBeginPeriod(1) == TIMERR_NOERROR;
}

EventLoop::System::~System() {
  signals.reset();
  if (multimedia_timer != 0) ::timeKillEvent(multimedia_timer);
  if (raised_resolution) ::timeEndPeriod(1);
  for (auto& [id, entry] : watches) {
    if (entry.registered) ::WSAEventSelect(entry.socket, nullptr, 0);
  }
  ::WSACloseEvent(socket_event);
  ::DestroyWindow(window);
}

LRESULT CALLBACK EventLoop::System::WindowProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  if (message == kWakeMessage) {
    auto* system = reinterpret_cast<System*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (system != nullptr) {
      // Cleared before taking: a message posted from now on sends a new wake-up.
      system->wake_pending->store(false);
      system->loop.TakeCrossThread();
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

EventLoop::EventLoop() : system_(std::make_unique<System>(*this)) {
  HWND window = system_->window;
  std::shared_ptr<std::atomic<bool>> pending = system_->wake_pending;
  cross_thread_ = std::make_shared<CrossThreadQueue>([window, pending] {
    if (!pending->exchange(true)) ::PostMessageW(window, kWakeMessage, 0, 0);
  });
}

EventLoop::~EventLoop() {
  // Before the window goes: posters on other threads stop posting to it.
  cross_thread_->Close();
  system_->signals.reset();
}

// --- Descriptors

WatchId EventLoop::Watch(Descriptor fd, uint32_t interest, ReadyCallback callback) {
  WatchId id = system_->next_watch++;
  System::WatchEntry& entry = system_->watches[id];
  entry.socket = static_cast<SOCKET>(fd);
  entry.interest = 0;
  entry.registered = false;
  int type = 0;
  int length = sizeof type;
  entry.stream = ::getsockopt(entry.socket, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type),
                              &length) == 0 &&
                 type == SOCK_STREAM;
  entry.callback = std::make_shared<ReadyCallback>(std::move(callback));
  try {
    system_->ApplyInterest(entry, interest);
  } catch (...) {
    system_->watches.erase(id);
    throw;
  }
  return id;
}

void EventLoop::SetInterest(WatchId id, uint32_t interest) {
  auto it = system_->watches.find(id);
  if (it != system_->watches.end()) system_->ApplyInterest(it->second, interest);
}

void EventLoop::Unwatch(WatchId id) {
  auto it = system_->watches.find(id);
  if (it == system_->watches.end()) return;
  if (it->second.registered) ::WSAEventSelect(it->second.socket, nullptr, 0);
  system_->watches.erase(it);
}

// A watch with no interest stops its socket's events altogether, hang-ups included.
void EventLoop::System::ApplyInterest(WatchEntry& entry, uint32_t interest) {
  interest &= kReadable | kWritable | kPeerClosed;
  if (interest == 0) {
    if (entry.registered) ::WSAEventSelect(entry.socket, nullptr, 0);
    entry.registered = false;
  } else if (!entry.registered) {
    // Every event sets the loop's one socket event; select() then tells which socket is
    // ready for what.
    if (::WSAEventSelect(entry.socket, socket_event,
                         FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE) != 0) {
      Fail("cannot watch a socket", ::WSAGetLastError());
    }
    entry.registered = true;
  }
  entry.interest = interest;
}

// --- Signals

void EventLoop::SetQuitSignalHandler(std::function<void(int)> handler) {
  system_->signals.reset();
  quit_handler_.reset();
  if (!handler) return;
  quit_handler_ = std::make_shared<std::function<void(int)>>(std::move(handler));
  std::weak_ptr<std::function<void(int)>> current = quit_handler_;
  system_->signals = std::make_unique<ConsoleControlWatch>(cross_thread_, [current](int signal) {
    // Only while that handler is still the one set: its owner may have gone since.
    if (auto live = current.lock()) (*live)(signal);
  });
}

// --- Waiting

std::vector<std::pair<WatchId, uint32_t>> EventLoop::System::ReadyNow() {
  std::vector<std::pair<WatchId, uint32_t>> ready;
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  bool any = false;
  for (const auto& [id, entry] : watches) {
    if (!entry.registered) continue;
    // Readable also shows a closed connection; failed shows a connection that failed.
    if (entry.interest & (kReadable | kPeerClosed)) FD_SET(entry.socket, &readable);
    if (entry.interest & kWritable) FD_SET(entry.socket, &writable);
    FD_SET(entry.socket, &failed);
    any = true;
  }
  if (!any) return ready;
  timeval now{0, 0};
  if (::select(0, &readable, &writable, &failed, &now) <= 0) return ready;
  for (const auto& [id, entry] : watches) {
    if (!entry.registered) continue;
    uint32_t bits = 0;
    if (FD_ISSET(entry.socket, &readable)) {
      bool closed = false;
      if (entry.stream) {
        // A stream that reads as ended (0 bytes) has been shut down by its peer.
        char byte;
        closed = ::recv(entry.socket, &byte, 1, MSG_PEEK) == 0;
      }
      if (closed && (entry.interest & kPeerClosed)) bits |= kPeerClosed;
      if (entry.interest & kReadable) bits |= kReadable;
    }
    if (FD_ISSET(entry.socket, &writable)) bits |= kWritable;
    if (FD_ISSET(entry.socket, &failed)) bits |= kFailed;
    if (bits != 0) ready.emplace_back(id, bits);
  }
  return ready;
}

void EventLoop::System::Pump(std::optional<TimePoint> due) {
  MSG message;
  // Bounded in count, so that a window that keeps posting cannot starve the loop's timers
  // and sockets; and in time: once a timer is due it runs first, the rest of the queue
  // after it. A flood of socket notifications, each a few calls into the system, must
  // not hold back the frame clock.
  for (int i = 0; i < 1000 && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (message.message == WM_QUIT) {
      loop.Quit();
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
    if (due && Now() >= *due) break;
  }
}

void EventLoop::Wait(std::optional<TimePoint> wake, bool poll) {
  System& system = *system_;
  // Cleared before looking, so that an event from now on ends the wait below.
  ::WSAResetEvent(system.socket_event);
  std::vector<std::pair<WatchId, uint32_t>> ready = system.ReadyNow();
  if (!poll && ready.empty()) {
    system.ArmTimer(wake);
    HANDLE handles[] = {system.socket_event, system.timer.handle};
    DWORD result =
        ::MsgWaitForMultipleObjectsEx(2, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_FAILED) Fail("the message loop cannot wait");
    system.Pump(wake);
    ready = system.ReadyNow();
  } else {
    system.Pump(wake);
  }
  for (const auto& [id, bits] : ready) {
    // The watch may have gone (or changed) by a handler that ran earlier in this round.
    auto it = system.watches.find(id);
    if (it == system.watches.end() || !it->second.registered) continue;
    std::shared_ptr<ReadyCallback> callback = it->second.callback;
    (*callback)(bits);
  }
}

void EventLoop::System::ArmTimer(std::optional<TimePoint> deadline) {
  if (multimedia) {
    if (multimedia_timer != 0) ::timeKillEvent(multimedia_timer);
    multimedia_timer = 0;
    ::ResetEvent(timer.handle);
    if (!deadline) return;
    // Whole milliseconds, rounded up: waking early only makes the loop wait again.
    auto delay = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Now()).count();
    UINT ms = static_cast<UINT>(std::clamp<int64_t>(delay, 1, 0x7FFFFFFF));
    multimedia_timer = ::timeSetEvent(ms, 1, reinterpret_cast<LPTIMECALLBACK>(timer.handle), 0,
                                      TIME_ONESHOT | TIME_CALLBACK_EVENT_SET);
    if (multimedia_timer == 0) Fail("cannot arm the message loop's timer");
    return;
  }
  if (!deadline) {
    ::CancelWaitableTimer(timer.handle);
    return;
  }
  Duration delay = *deadline - Now();
  LARGE_INTEGER due;
  // Negative: relative to now, so that a change of the wall clock does not move it.
  due.QuadPart = -std::max<LONGLONG>(1, HundredsOfNanoseconds(delay));
  if (!::SetWaitableTimer(timer.handle, &due, 0, nullptr, nullptr, FALSE)) {
    Fail("cannot arm the message loop's timer");
  }
}

}  // namespace quarnel::platform
