// A plain blocking TCP client that plays the other end of a server in tests: it sends,
// half-closes, resets, and reads with every wait bounded.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::sockets_testing {

class TcpClient {
 public:
  // Connects at once; `receive_buffer` > 0 makes the receive buffer that small, for
  // tests of a peer that reads slowly.
  explicit TcpClient(const sockaddr_in& to, int receive_buffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receive_buffer > 0) {
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    }
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
  }
  ~TcpClient() { Close(); }
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
  }
  void ShutdownWrite() { ::shutdown(fd_, SHUT_WR); }
  // Closes with a reset instead of an orderly close.
  void Reset() {
    linger hard{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    Close();
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // Reads until `count` bytes came, the peer closed or `timeout_ms` passed without data.
  std::string Read(size_t count, int timeout_ms = 2000) {
    bool closed = false;
    return ReadUntil(count, std::chrono::milliseconds(timeout_ms), closed);
  }
  // Reads until the peer closes; `closed` tells whether it did before `timeout` passed
  // without data.
  std::string ReadToClose(bool* closed = nullptr,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    bool ended = false;
    std::string out = ReadUntil(std::string::npos, timeout, ended);
    if (closed) *closed = ended;
    return out;
  }
  // True when the other side has closed the connection (within `timeout_ms`).
  bool SeesClose(int timeout_ms = 2000) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) != 1) return false;
    char c;
    return ::recv(fd_, &c, 1, MSG_PEEK) <= 0;
  }

 private:
  std::string ReadUntil(size_t count, std::chrono::milliseconds timeout, bool& closed) {
    std::string out;
    std::vector<char> buffer(1 << 16);
    while (out.size() < count) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(timeout.count())) != 1) break;
      const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
      if (n <= 0) {
        closed = true;
        break;
      }
      out.append(buffer.data(), static_cast<size_t>(n));
    }
    return out;
  }

  int fd_ = -1;
  bool connected_ = false;
};

}  // namespace quarnel::sockets_testing
