// Plain sockets that play the other end in the socket object's tests. They use the
// machine's primary address, where an instance bound without an address listens (in the
// tests' private network: 192.0.2.10 on the loopback interface), unless told otherwise.
#pragma once

#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/tests/PlainSocket.h"
#include "platform/sockets/tests/TcpClient.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace quarnel::net::testing {

// The primary address as dotted text.
inline std::string PrimaryText() {
  return platform::DottedText(platform::FindPrimaryAddress().address);
}

using sockets_testing::AddressOf;

// A UDP socket with a port of its own on `ip`, sending to ports on the same address.
class UdpPeer {
 public:
  explicit UdpPeer(std::string ip = PrimaryText())
      : ip_(std::move(ip)), socket_(sockets_testing::PlainSocket::Kind::kUdp) {
    socket_.SetReceiveBuffer(4 << 20);
    socket_.Bind(AddressOf(ip_, 0));
    port_ = socket_.LocalPort();
  }

  uint16_t Port() const { return port_; }
  const std::string& Address() const { return ip_; }
  bool SendTo(uint16_t port, const std::string& bytes) {
    return socket_.SendTo(bytes, AddressOf(ip_, port));
  }
  // The next datagram, waiting at most `timeout_ms`.
  std::optional<std::string> Receive(int timeout_ms = 2000) {
    if (!socket_.WaitReadable(timeout_ms)) return std::nullopt;
    std::string buffer(65536, '\0');
    const long n = socket_.Receive(buffer.data(), buffer.size());
    if (n < 0) return std::nullopt;
    buffer.resize(static_cast<size_t>(n));
    return buffer;
  }

 private:
  std::string ip_;
  sockets_testing::PlainSocket socket_;
  uint16_t port_ = 0;
};

// A TCP client of a server on the primary address, or on `ip`.
class TcpPeer : public sockets_testing::TcpClient {
 public:
  explicit TcpPeer(uint16_t port, int receive_buffer = 0)
      : TcpClient(AddressOf(PrimaryText(), port), receive_buffer) {}
  TcpPeer(const std::string& ip, uint16_t port) : TcpClient(AddressOf(ip, port)) {}
};

}  // namespace quarnel::net::testing
