#include "platform/sockets/tests/PlainSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::sockets_testing {
namespace {

sockaddr_in ToSockaddr(const platform::Ipv4Address& address) {
  sockaddr_in out{};
  out.sin_family = AF_INET;
  out.sin_addr.s_addr = address.address;
  out.sin_port = htons(address.port);
  return out;
}

}  // namespace

PlainSocket::PlainSocket(Kind kind) {
  handle_ = ::socket(AF_INET, (kind == Kind::kUdp ? SOCK_DGRAM : SOCK_STREAM) | SOCK_CLOEXEC, 0);
}

void PlainSocket::SetReceiveBuffer(int bytes) {
  ::setsockopt(static_cast<int>(handle_), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void PlainSocket::SetNoDelay() {
  int one = 1;
  ::setsockopt(static_cast<int>(handle_), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool PlainSocket::Bind(const platform::Ipv4Address& address) {
  const sockaddr_in a = ToSockaddr(address);
  return ::bind(static_cast<int>(handle_), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool PlainSocket::Listen() { return ::listen(static_cast<int>(handle_), 16) == 0; }

uint16_t PlainSocket::LocalPort() const {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  if (::getsockname(static_cast<int>(handle_), reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    return 0;
  }
  return ntohs(a.sin_port);
}

bool PlainSocket::Connect(const platform::Ipv4Address& to) {
  const sockaddr_in a = ToSockaddr(to);
  return ::connect(static_cast<int>(handle_), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool PlainSocket::Send(const std::string& bytes) {
  return ::send(static_cast<int>(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(bytes.size());
}

bool PlainSocket::SendTo(const std::string& bytes, const platform::Ipv4Address& to) {
  const sockaddr_in a = ToSockaddr(to);
  return ::sendto(static_cast<int>(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                  reinterpret_cast<const sockaddr*>(&a),
                  sizeof a) == static_cast<ssize_t>(bytes.size());
}

long PlainSocket::Receive(char* buffer, size_t size, bool peek) {
  return ::recv(static_cast<int>(handle_), buffer, size, peek ? MSG_PEEK : 0);
}

bool PlainSocket::WaitReadable(int timeout_ms) {
  pollfd p{static_cast<int>(handle_), POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) == 1;
}

void PlainSocket::ShutdownWrite() { ::shutdown(static_cast<int>(handle_), SHUT_WR); }

void PlainSocket::Reset() {
  linger hard{1, 0};
  ::setsockopt(static_cast<int>(handle_), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  Close();
}

void PlainSocket::Close() {
  if (handle_ != kNone) ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

}  // namespace quarnel::sockets_testing
