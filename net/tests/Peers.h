// Plain loopback sockets that play the other end in the socket object's tests.
#pragma once

#include "platform/sockets/tests/TcpClient.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::net::testing {

inline sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return address;
}

// A UDP socket on 127.0.0.1 with a port of its own.
class UdpPeer {
 public:
  UdpPeer() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    int size = 4 << 20;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in address = Loopback(0);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~UdpPeer() { ::close(fd_); }
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  uint16_t Port() const { return port_; }
  bool SendTo(uint16_t port, const std::string& bytes) {
    sockaddr_in to = Loopback(port);
    return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to),
                    sizeof to) == static_cast<ssize_t>(bytes.size());
  }
  // The next datagram, waiting at most `timeout_ms`.
  std::optional<std::string> Receive(int timeout_ms = 2000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) != 1) return std::nullopt;
    std::string buffer(65536, '\0');
    ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (n < 0) return std::nullopt;
    buffer.resize(static_cast<size_t>(n));
    return buffer;
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// A TCP client on loopback.
class TcpPeer : public sockets_testing::TcpClient {
 public:
  explicit TcpPeer(uint16_t port, int receive_buffer = 0)
      : TcpClient(Loopback(port), receive_buffer) {}
};

}  // namespace quarnel::net::testing
