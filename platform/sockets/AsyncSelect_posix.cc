#include "platform/sockets/AsyncSelect_posix.h"

#include "platform/sockets/Socket.h"
#include "platform/sockets/SocketErrors.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace quarnel::platform {

AsyncSelect::AsyncSelect(WindowTable& windows, int fd, Role role)
    : windows_(windows), loop_(windows.Loop()), fd_(fd), role_(role) {
  watch_ = loop_.Watch(fd_, 0, [this](uint32_t ready) { OnReady(ready); });
}

AsyncSelect::~AsyncSelect() { loop_.Unwatch(watch_); }

void AsyncSelect::Target(WindowHandle window, uint32_t message, uint32_t events) {
  window_ = window;
  message_ = message;
  events_ = events;
  Update();
}

void AsyncSelect::SetRole(Role role) {
  role_ = role;
  if (role == Role::kListening) accept_armed_ = true;
  Update();
}

void AsyncSelect::ReenableRead() {
  if (!read_armed_) {
    read_armed_ = true;
    Update();
  }
}

void AsyncSelect::ReenableAccept() {
  if (!accept_armed_) {
    accept_armed_ = true;
    Update();
  }
}

void AsyncSelect::ReenableWrite() {
  if (!write_armed_) {
    write_armed_ = true;
    Update();
  }
}

void AsyncSelect::PostInitialEvents() {
  // A new connection can be written to at once; data or a close may have come with it.
  if (events_ & kFdWrite) Post(kFdWrite, 0);
  pollfd probe{fd_, POLLIN | POLLRDHUP, 0};
  if (::poll(&probe, 1, 0) == 1) {
    uint32_t ready = 0;
    if (probe.revents & POLLIN) ready |= kReadable;
    if (probe.revents & POLLRDHUP) ready |= kPeerClosed;
    if (probe.revents & POLLHUP) ready |= kHangUp;
    if (probe.revents & POLLERR) ready |= kFailed;
    OnConnectionReady(ready);
  }
  Update();
}

void AsyncSelect::OnReady(uint32_t ready) {
  switch (role_) {
    case Role::kDatagram:
      if ((ready & kReadable) && read_armed_) {
        read_armed_ = false;
        Post(kFdRead, 0);
      }
      if ((ready & kWritable) && write_armed_) {
        write_armed_ = false;
        Post(kFdWrite, 0);
      }
      if (ready & kFailed) PendingError();  // clears an error no call is waiting for
      break;
    case Role::kListening:
      if ((ready & (kReadable | kFailed | kHangUp)) && accept_armed_) {
        accept_armed_ = false;
        Post(kFdAccept, 0);
      }
      break;
    case Role::kConnecting:
      OnConnected(ready);
      break;
    case Role::kConnected:
      OnConnectionReady(ready);
      break;
    case Role::kIdle:
    case Role::kDone:
      break;
  }
  Update();
}

void AsyncSelect::OnConnected(uint32_t ready) {
  if (!(ready & (kWritable | kFailed | kHangUp))) return;
  int32_t error = PendingError();
  if (error == 0 && (ready & kHangUp)) error = kWsaEConnRefused;
  role_ = error == 0 ? Role::kConnected : Role::kDone;
  Post(kFdConnect, error);
  if (error == 0) {
    // Windows Sockets follows a made connection with FD_WRITE: sending may start.
    write_armed_ = false;
    Post(kFdWrite, 0);
  }
}

void AsyncSelect::OnConnectionReady(uint32_t ready) {
  if (ready & (kReadable | kPeerClosed | kHangUp | kFailed)) {
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) waiting = 0;
    if (waiting > 0) {
      if (read_armed_) {
        read_armed_ = false;
        Post(kFdRead, 0);
      }
    } else if (!peer_closed_ && (ready & (kReadable | kPeerClosed | kHangUp | kFailed))) {
      // Readable with nothing to read is the end of the stream.
      peer_closed_ = true;
      read_armed_ = false;
      int32_t error = (ready & kFailed) ? PendingError() : 0;
      if (close_armed_) {
        close_armed_ = false;
        Post(kFdClose, error);
      }
    }
  }
  if ((ready & kWritable) && write_armed_) {
    write_armed_ = false;
    Post(kFdWrite, 0);
  }
  if (ready & (kHangUp | kFailed)) write_armed_ = false;
}

void AsyncSelect::Post(uint32_t event, int32_t error) {
  if (!(events_ & event) || window_ == 0) return;
  WindowMessage message;
  message.message = message_;
  message.wparam = static_cast<uint64_t>(fd_);
  message.lparam = SocketMessageParam(event, error);
  message.guard = alive_;
  message.guarded = true;
  windows_.Post(window_, std::move(message));
}

int32_t AsyncSelect::PendingError() const {
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return LastWsaError();
  return WsaErrorFromErrno(error);
}

void AsyncSelect::Update() {
  uint32_t interest = 0;
  if (events_ != 0 && window_ != 0) {
    switch (role_) {
      case Role::kDatagram:
        if (read_armed_ && (events_ & kFdRead)) interest |= kReadable;
        if (write_armed_ && (events_ & kFdWrite)) interest |= kWritable;
        break;
      case Role::kListening:
        if (accept_armed_ && (events_ & kFdAccept)) interest |= kReadable;
        break;
      case Role::kConnecting:
        interest |= kWritable;
        break;
      case Role::kConnected:
        if (!peer_closed_ && read_armed_ && (events_ & (kFdRead | kFdClose))) {
          interest |= kReadable | kPeerClosed;
        }
        if (write_armed_ && (events_ & kFdWrite)) interest |= kWritable;
        break;
      case Role::kIdle:
      case Role::kDone:
        break;
    }
  }
  loop_.SetInterest(watch_, interest);
}

}  // namespace quarnel::platform
