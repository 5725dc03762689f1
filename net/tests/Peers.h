// Plain sockets that play the other end in the socket object's tests. They use the
// machine's primary address, where an instance bound without an address listens (in the
// tests' private network: 192.0.2.10 on the loopback interface), unless told otherwise.
#pragma once

#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/tests/TcpClient.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::net::testing {

// The primary address as dotted text.
inline std::string PrimaryText() {
  return platform::DottedText(platform::FindPrimaryAddress().address);
}

inline sockaddr_in SocketAddress(const std::string& ip, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = platform::ParseDotted(ip).value_or(htonl(INADDR_LOOPBACK));
  address.sin_port = htons(port);
  return address;
}

// A UDP socket with a port of its own on `ip`, sending to ports on the same address.
class UdpPeer {
 public:
  explicit UdpPeer(std::string ip = PrimaryText()) : ip_(std::move(ip)) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    int size = 4 << 20;
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in address = SocketAddress(ip_, 0);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~UdpPeer() { ::close(fd_); }
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  uint16_t Port() const { return port_; }
  const std::string& Address() const { return ip_; }
  bool SendTo(uint16_t port, const std::string& bytes) {
    sockaddr_in to = SocketAddress(ip_, port);
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
  std::string ip_;
  int fd_ = -1;
  uint16_t port_ = 0;
};

// A TCP client of a server on the primary address, or on `ip`.
class TcpPeer : public sockets_testing::TcpClient {
 public:
  explicit TcpPeer(uint16_t port, int receive_buffer = 0)
      : TcpClient(SocketAddress(PrimaryText(), port), receive_buffer) {}
  TcpPeer(const std::string& ip, uint16_t port) : TcpClient(SocketAddress(ip, port)) {}
};

}  // namespace quarnel::net::testing
