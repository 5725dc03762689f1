// Plain-socket peers of the web server for the tests: HTTP clients, and a UDP receiver on
// port 15006 that stands in for the DMX output server and collects the channel tests sent
// to it. Every wait is bounded.
#pragma once

#include "tools/dmxsend/UdpSender.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::webdiag::testing {

using namespace std::chrono_literals;

inline std::string Primary() {
  std::string error;
  const std::string address = dmxsend::PrimaryAddress(error);
  return address.empty() ? "127.0.0.1" : address;
}

inline sockaddr_in AddressOf(const std::string& ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
  return a;
}

// Receives the channel tests the server sends, as the DMX output server would.
class TestCommands {
 public:
  TestCommands() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a = AddressOf(Primary(), 15006);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~TestCommands() { ::close(fd_); }
  bool Bound() const { return bound_; }
  // Every datagram received so far, as raw bytes.
  std::vector<std::string> Datagrams() {
    char buffer[2048];
    for (;;) {
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n < 0) break;
      received_.emplace_back(buffer, static_cast<size_t>(n));
    }
    return received_;
  }
  // The channels received so far (4-byte little-endian datagrams).
  std::vector<int32_t> Channels() {
    std::vector<int32_t> channels;
    for (const std::string& d : Datagrams()) {
      if (d.size() != 4) {
        channels.push_back(-99999);  // not a test command at all
        continue;
      }
      uint32_t v = 0;
      for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(d[static_cast<size_t>(i)]);
      channels.push_back(static_cast<int32_t>(v));
    }
    return channels;
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
  std::vector<std::string> received_;
};

// A blocking HTTP client; every wait is bounded.
class Client {
 public:
  explicit Client(uint16_t port, int receive_buffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receive_buffer > 0) {
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in to = AddressOf(Primary(), port);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  }
  ~Client() { Close(); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  void ShutdownWrite() { ::shutdown(fd_, SHUT_WR); }
  void Reset() {
    linger hard{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    Close();
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Reads until the server closes; `closed` tells whether it did within `timeout`
  // (counted from the last byte received).
  std::string ReadToClose(bool* closed = nullptr, std::chrono::milliseconds timeout = 5s) {
    std::string out;
    std::vector<char> buffer(1 << 16);
    bool ended = false;
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1) break;
      const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
      if (n <= 0) {
        ended = true;
        break;
      }
      out.append(buffer.data(), static_cast<size_t>(n));
    }
    if (closed) *closed = ended;
    return out;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

// Sends `request` on a new connection and returns all the server answered.
inline std::string Exchange(uint16_t port, const std::string& request, bool* closed = nullptr) {
  Client client(port);
  if (!client.Connected() || !client.Send(request)) return "<no connection>";
  return client.ReadToClose(closed);
}

inline std::string AnswerWith(const std::string& message) {
  return "HTTP/1.1 200 OK\r\n\r\n<h1>" + message + "</h1>";
}

}  // namespace quarnel::webdiag::testing
