#include "platform/sockets/AsyncSelect_posix.h"
#include "platform/sockets/Socket.h"
#include "platform/sockets/SocketErrors.h"
#include "platform/sockets/SystemSockets.h"

#include <cerrno>
#include <utility>

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

int32_t IntOption(int fd, int name, int32_t& value) {
  int option = 0;
  socklen_t size = sizeof option;
  if (::getsockopt(fd, SOL_SOCKET, name, &option, &size) != 0) return LastWsaError();
  value = option;
  return 0;
}

// What a socket asked for notifications for the first time can report, by its state now:
// a listener its connections, a connected socket its data, a fresh one nothing yet.
AsyncSelect::Role FirstRole(int fd, SocketKind kind) {
  if (kind == SocketKind::kUdp) return AsyncSelect::Role::kDatagram;
  int listening = 0;
  socklen_t size = sizeof listening;
  if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) == 0 && listening != 0) {
    return AsyncSelect::Role::kListening;
  }
  sockaddr_in peer{};
  size = sizeof peer;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) == 0) {
    return AsyncSelect::Role::kConnected;
  }
  return AsyncSelect::Role::kIdle;
}

}  // namespace

Socket Socket::Create(SocketKind kind, int32_t& error) {
  int type = kind == SocketKind::kUdp ? SOCK_DGRAM : SOCK_STREAM;
  int protocol = kind == SocketKind::kUdp ? IPPROTO_UDP : IPPROTO_TCP;
  int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
  error = fd < 0 ? LastWsaError() : 0;
  return fd < 0 ? Socket() : Socket(fd, kind);
}

int32_t Socket::Close() {
  if (fd_ < 0) return 0;
  select_.reset();  // stop watching before the descriptor can be reused
  int32_t error = ::close(fd_) == 0 ? 0 : LastWsaError();
  fd_ = -1;
  return error;
}

int32_t Socket::Bind(const Ipv4Address& local) {
  if (fd_ < 0) return kWsaENotSock;
  sockaddr_in address = ToSockaddr(local);
  if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return LastWsaError();
  }
  if (kind_ == SocketKind::kUdp && select_)
    select_->SetRole(platform::AsyncSelect::Role::kDatagram);
  return 0;
}

int32_t Socket::Listen(int backlog) {
  if (fd_ < 0) return kWsaENotSock;
  if (::listen(fd_, backlog) != 0) return LastWsaError();
  if (select_) select_->SetRole(platform::AsyncSelect::Role::kListening);
  return 0;
}

Socket Socket::Accept(Ipv4Address& peer, int32_t& error) {
  if (fd_ < 0) {
    error = kWsaENotSock;
    return Socket();
  }
  sockaddr_in address{};
  socklen_t size = sizeof address;
  int fd =
      ::accept4(fd_, reinterpret_cast<sockaddr*>(&address), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
  error = fd < 0 ? LastWsaError() : 0;
  if (select_) select_->ReenableAccept();
  if (fd < 0) return Socket();
  peer = FromSockaddr(address);
  Socket accepted(fd, SocketKind::kTcp);
  if (select_ && select_->Events() != 0) {
    // The new socket inherits the listener's notifications, as under Windows Sockets.
    accepted.select_ = std::make_unique<platform::AsyncSelect>(
        select_->Windows(), fd, platform::AsyncSelect::Role::kConnected);
    accepted.select_->Target(select_->Window(), select_->Message(), select_->Events());
    accepted.select_->PostInitialEvents();
  }
  return accepted;
}

int32_t Socket::Connect(const Ipv4Address& remote) {
  if (fd_ < 0) return kWsaENotSock;
  sockaddr_in address = ToSockaddr(remote);
  int result = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  int32_t error = result == 0 ? 0 : LastWsaError();
  // A non-blocking connect under way is "would block" to Windows Sockets.
  if (error == kWsaEInProgress) error = kWsaEWouldBlock;
  if ((error == 0 || error == kWsaEWouldBlock) && select_ && kind_ == SocketKind::kTcp) {
    select_->SetRole(platform::AsyncSelect::Role::kConnecting);
  }
  return error;
}

int32_t Socket::Send(const uint8_t* data, size_t size, size_t& sent) {
  sent = 0;
  if (fd_ < 0) return kWsaENotSock;
  ssize_t n = ::send(fd_, data, size, MSG_NOSIGNAL);
  if (n < 0) {
    int32_t error = LastWsaError();
    if (error == kWsaEWouldBlock && select_) select_->ReenableWrite();
    return error;
  }
  sent = static_cast<size_t>(n);
  return 0;
}

int32_t Socket::SendTo(const uint8_t* data, size_t size, const Ipv4Address& to, size_t& sent) {
  sent = 0;
  if (fd_ < 0) return kWsaENotSock;
  sockaddr_in address = ToSockaddr(to);
  ssize_t n = ::sendto(fd_, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&address),
                       sizeof address);
  if (n < 0) {
    int32_t error = LastWsaError();
    if (error == kWsaEWouldBlock && select_) select_->ReenableWrite();
    return error;
  }
  sent = static_cast<size_t>(n);
  return 0;
}

int32_t Socket::Recv(uint8_t* data, size_t size, bool peek, size_t& received) {
  received = 0;
  if (fd_ < 0) return kWsaENotSock;
  int flags = peek ? MSG_PEEK : 0;
  // MSG_TRUNC on a datagram socket returns the datagram's real length, so that a datagram
  // longer than the buffer fails as under Windows Sockets instead of being cut silently.
  if (kind_ == SocketKind::kUdp) flags |= MSG_TRUNC;
  ssize_t n = ::recv(fd_, data, size, flags);
  int32_t error = n < 0 ? LastWsaError() : 0;
  if (select_) select_->ReenableRead();
  if (error != 0) return error;
  if (kind_ == SocketKind::kUdp && static_cast<size_t>(n) > size) {
    received = size;
    return kWsaEMsgSize;
  }
  received = static_cast<size_t>(n);
  return 0;
}

int32_t Socket::AvailableBytes(uint32_t& count) const {
  int waiting = 0;
  if (fd_ < 0) return kWsaENotSock;
  if (::ioctl(fd_, FIONREAD, &waiting) != 0) return LastWsaError();
  count = static_cast<uint32_t>(waiting);
  return 0;
}

int32_t Socket::ReceiveBufferSize(int32_t& size) const { return IntOption(fd_, SO_RCVBUF, size); }

int32_t Socket::SendBufferSize(int32_t& size) const { return IntOption(fd_, SO_SNDBUF, size); }

int32_t Socket::SetReceiveBufferSize(int32_t size) {
  int value = size;
  if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &value, sizeof value) != 0) return LastWsaError();
  return 0;
}

int32_t Socket::SetBroadcast(bool on) {
  int value = on ? 1 : 0;
  if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) != 0) {
    return LastWsaError();
  }
  return 0;
}

int32_t Socket::LocalAddress(Ipv4Address& local) const {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return LastWsaError();
  local = FromSockaddr(address);
  return 0;
}

int32_t Socket::PeerAddress(Ipv4Address& peer) const {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return LastWsaError();
  peer = FromSockaddr(address);
  return 0;
}

int32_t Socket::AsyncSelect(WindowTable& windows, WindowHandle window, uint32_t message,
                            uint32_t events) {
  if (fd_ < 0) return kWsaENotSock;
  if (!select_ || &select_->Windows() != &windows) {
    // A socket asked for the first time: what it can report follows from its kind and
    // state; a fresh TCP socket reports nothing until it listens or connects.
    select_ = std::make_unique<platform::AsyncSelect>(windows, fd_, FirstRole(fd_, kind_));
  }
  select_->Target(window, message, events);
  return 0;
}

}  // namespace quarnel::platform
