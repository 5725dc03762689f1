// What both systems' sockets share: making, moving and ending the object. Socket_posix.cc
// and Socket_win.cc hold the calls.
#include "platform/sockets/Socket.h"

#include <utility>

#ifdef _WIN32
#include "platform/sockets/AsyncSelect_win.h"
#else
#include "platform/sockets/AsyncSelect_posix.h"
#endif

namespace quarnel::platform {

Socket::Socket() = default;

Socket::Socket(int fd, SocketKind kind) : fd_(fd), kind_(kind) {}

Socket::~Socket() { Close(); }

Socket::Socket(Socket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), kind_(other.kind_), select_(std::move(other.select_)) {}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    kind_ = other.kind_;
    select_ = std::move(other.select_);
  }
  return *this;
}

}  // namespace quarnel::platform
