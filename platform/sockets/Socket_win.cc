// The socket on Windows Sockets 2. Handles of the 32-bit build fit the int the object
// keeps; INVALID_SOCKET reads as -1.
#include "platform/sockets/AsyncSelect_win.h"
#include "platform/sockets/Socket.h"
#include "platform/sockets/SocketErrors.h"
#include "platform/sockets/SystemSockets.h"

#include <algorithm>
#include <utility>

namespace quarnel::platform {
namespace {

SOCKET Native(int fd) {
  return static_cast<SOCKET>(static_cast<UINT_PTR>(static_cast<unsigned>(fd)));
}

int32_t IntOption(int fd, int name, int32_t& value) {
  int option = 0;
  int size = sizeof option;
  if (::getsockopt(Native(fd), SOL_SOCKET, name, reinterpret_cast<char*>(&option), &size) != 0) {
    return LastWsaError();
  }
  value = option;
  return 0;
}

// Non-blocking, and not handed to programs this one starts.
int Prepared(SOCKET socket) {
  u_long non_blocking = 1;
  ::ioctlsocket(socket, FIONBIO, &non_blocking);
  ::SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
  return static_cast<int>(socket);
}

}  // namespace

Socket Socket::Create(SocketKind kind, int32_t& error) {
  RequireSocketLibrary();
  int type = kind == SocketKind::kUdp ? SOCK_DGRAM : SOCK_STREAM;
  int protocol = kind == SocketKind::kUdp ? IPPROTO_UDP : IPPROTO_TCP;
  SOCKET socket = ::socket(AF_INET, type, protocol);
  error = socket == INVALID_SOCKET ? LastWsaError() : 0;
  return socket == INVALID_SOCKET ? Socket() : Socket(Prepared(socket), kind);
}

int32_t Socket::Close() {
  if (fd_ < 0) return 0;
  select_.reset();  // its window and queued messages go before the handle can be reused
  int32_t error = ::closesocket(Native(fd_)) == 0 ? 0 : LastWsaError();
  fd_ = -1;
  return error;
}

int32_t Socket::Bind(const Ipv4Address& local) {
  if (fd_ < 0) return kWsaENotSock;
  sockaddr_in address = ToSockaddr(local);
  if (::bind(Native(fd_), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return LastWsaError();
  }
  return 0;
}

int32_t Socket::Listen(int backlog) {
  if (fd_ < 0) return kWsaENotSock;
  if (::listen(Native(fd_), backlog) != 0) return LastWsaError();
  return 0;
}

Socket Socket::Accept(Ipv4Address& peer, int32_t& error) {
  if (fd_ < 0) {
    error = kWsaENotSock;
    return Socket();
  }
  sockaddr_in address{};
  int size = sizeof address;
  SOCKET socket = ::accept(Native(fd_), reinterpret_cast<sockaddr*>(&address), &size);
  error = socket == INVALID_SOCKET ? LastWsaError() : 0;
  if (socket == INVALID_SOCKET) return Socket();
  peer = FromSockaddr(address);
  Socket accepted(Prepared(socket), SocketKind::kTcp);
  if (select_ && select_->Events() != 0) {
    // The new socket inherited its listener's notifications; it gets a window of its own,
    // and Windows Sockets posts what has already happened on it there.
    accepted.select_ = std::make_unique<platform::AsyncSelect>(select_->Windows(), socket);
    accepted.select_->Target(select_->Window(), select_->Message(), select_->Events());
  }
  return accepted;
}

int32_t Socket::Connect(const Ipv4Address& remote) {
  if (fd_ < 0) return kWsaENotSock;
  sockaddr_in address = ToSockaddr(remote);
  if (::connect(Native(fd_), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return LastWsaError();
  }
  return 0;
}

int32_t Socket::Send(const uint8_t* data, size_t size, size_t& sent) {
  sent = 0;
  if (fd_ < 0) return kWsaENotSock;
  int n = ::send(Native(fd_), reinterpret_cast<const char*>(data),
                 static_cast<int>(std::min<size_t>(size, INT32_MAX)), 0);
  if (n == SOCKET_ERROR) return LastWsaError();
  sent = static_cast<size_t>(n);
  return 0;
}

int32_t Socket::SendTo(const uint8_t* data, size_t size, const Ipv4Address& to, size_t& sent) {
  sent = 0;
  if (fd_ < 0) return kWsaENotSock;
  sockaddr_in address = ToSockaddr(to);
  int n = ::sendto(Native(fd_), reinterpret_cast<const char*>(data),
                   static_cast<int>(std::min<size_t>(size, INT32_MAX)), 0,
                   reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (n == SOCKET_ERROR) return LastWsaError();
  sent = static_cast<size_t>(n);
  return 0;
}

// A datagram longer than the buffer fails with WSAEMSGSIZE and fills the buffer; without
// a peek the rest of it is gone.
int32_t Socket::Recv(uint8_t* data, size_t size, bool peek, size_t& received) {
  received = 0;
  if (fd_ < 0) return kWsaENotSock;
  int n = ::recv(Native(fd_), reinterpret_cast<char*>(data),
                 static_cast<int>(std::min<size_t>(size, INT32_MAX)), peek ? MSG_PEEK : 0);
  if (n == SOCKET_ERROR) {
    int32_t error = LastWsaError();
    if (error == kWsaEMsgSize && kind_ == SocketKind::kUdp) received = size;
    return error;
  }
  received = static_cast<size_t>(n);
  return 0;
}

// On Windows a datagram socket reports every byte waiting, over all its datagrams.
int32_t Socket::AvailableBytes(uint32_t& count) const {
  if (fd_ < 0) return kWsaENotSock;
  u_long waiting = 0;
  if (::ioctlsocket(Native(fd_), FIONREAD, &waiting) != 0) return LastWsaError();
  count = static_cast<uint32_t>(waiting);
  return 0;
}

int32_t Socket::ReceiveBufferSize(int32_t& size) const { return IntOption(fd_, SO_RCVBUF, size); }

int32_t Socket::SendBufferSize(int32_t& size) const { return IntOption(fd_, SO_SNDBUF, size); }

int32_t Socket::SetReceiveBufferSize(int32_t size) {
  int value = size;
  if (::setsockopt(Native(fd_), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&value),
                   sizeof value) != 0) {
    return LastWsaError();
  }
  return 0;
}

int32_t Socket::SetBroadcast(bool on) {
  BOOL value = on ? TRUE : FALSE;
  if (::setsockopt(Native(fd_), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                   sizeof value) != 0) {
    return LastWsaError();
  }
  return 0;
}

int32_t Socket::LocalAddress(Ipv4Address& local) const {
  sockaddr_in address{};
  int size = sizeof address;
  if (::getsockname(Native(fd_), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return LastWsaError();
  }
  local = FromSockaddr(address);
  return 0;
}

int32_t Socket::PeerAddress(Ipv4Address& peer) const {
  sockaddr_in address{};
  int size = sizeof address;
  if (::getpeername(Native(fd_), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    return LastWsaError();
  }
  peer = FromSockaddr(address);
  return 0;
}

int32_t Socket::AsyncSelect(WindowTable& windows, WindowHandle window, uint32_t message,
                            uint32_t events) {
  if (fd_ < 0) return kWsaENotSock;
  if (!select_ || &select_->Windows() != &windows) {
    select_.reset();
    select_ = std::make_unique<platform::AsyncSelect>(windows, Native(fd_));
  }
  return select_->Target(window, message, events);
}

}  // namespace quarnel::platform
