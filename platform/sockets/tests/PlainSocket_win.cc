#include "platform/sockets/SystemSockets.h"
#include "platform/sockets/tests/PlainSocket.h"

namespace quarnel::sockets_testing {
namespace {

SOCKET Handle(intptr_t handle) { return static_cast<SOCKET>(handle); }

// A datagram sent to a port where nothing listens makes the next read of a UDP socket
// fail with WSAECONNRESET on Windows; a test's peer wants the next datagram instead.
constexpr DWORD kUdpConnectionReset = 0x9800000C;  // SIO_UDP_CONNRESET

}  // namespace

PlainSocket::PlainSocket(Kind kind) {
  platform::RequireSocketLibrary();
  const SOCKET s = ::socket(AF_INET, kind == Kind::kUdp ? SOCK_DGRAM : SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return;
  ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  if (kind == Kind::kUdp) {
    BOOL report = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(s, kUdpConnectionReset, &report, sizeof report, nullptr, 0, &returned, nullptr,
               nullptr);
  }
  handle_ = static_cast<intptr_t>(s);
}

void PlainSocket::SetReceiveBuffer(int bytes) {
  ::setsockopt(Handle(handle_), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
               sizeof bytes);
}

void PlainSocket::SetNoDelay() {
  BOOL one = TRUE;
  ::setsockopt(Handle(handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
               sizeof one);
}

bool PlainSocket::Bind(const platform::Ipv4Address& address) {
  const sockaddr_in a = platform::ToSockaddr(address);
  return ::bind(Handle(handle_), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool PlainSocket::Listen() { return ::listen(Handle(handle_), 16) == 0; }

uint16_t PlainSocket::LocalPort() const {
  sockaddr_in a{};
  int length = sizeof a;
  if (::getsockname(Handle(handle_), reinterpret_cast<sockaddr*>(&a), &length) != 0) return 0;
  return ntohs(a.sin_port);
}

bool PlainSocket::Connect(const platform::Ipv4Address& to) {
  const sockaddr_in a = platform::ToSockaddr(to);
  return ::connect(Handle(handle_), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool PlainSocket::Send(const std::string& bytes) {
  return ::send(Handle(handle_), bytes.data(), static_cast<int>(bytes.size()), 0) ==
         static_cast<int>(bytes.size());
}

bool PlainSocket::SendTo(const std::string& bytes, const platform::Ipv4Address& to) {
  const sockaddr_in a = platform::ToSockaddr(to);
  return ::sendto(Handle(handle_), bytes.data(), static_cast<int>(bytes.size()), 0,
                  reinterpret_cast<const sockaddr*>(&a),
                  sizeof a) == static_cast<int>(bytes.size());
}

long PlainSocket::Receive(char* buffer, size_t size, bool peek) {
  return ::recv(Handle(handle_), buffer, static_cast<int>(size), peek ? MSG_PEEK : 0);
}

bool PlainSocket::WaitReadable(int timeout_ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Handle(handle_), &readable);
  timeval wait{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
  return ::select(0, &readable, nullptr, nullptr, &wait) == 1;
}

void PlainSocket::ShutdownWrite() { ::shutdown(Handle(handle_), SD_SEND); }

void PlainSocket::Reset() {
  linger hard{1, 0};
  ::setsockopt(Handle(handle_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard),
               sizeof hard);
  Close();
}

void PlainSocket::Close() {
  if (handle_ != kNone) ::closesocket(Handle(handle_));
  handle_ = kNone;
}

}  // namespace quarnel::sockets_testing
