// A plain blocking TCP client that plays the other end of a server in tests: it sends,
// half-closes, resets, and reads with every wait bounded.
#pragma once

#include "platform/sockets/tests/PlainSocket.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel::sockets_testing {

class TcpClient {
 public:
  // Connects at once; `receive_buffer` > 0 makes the receive buffer that small, for
  // tests of a peer that reads slowly.
  explicit TcpClient(const platform::Ipv4Address& to, int receive_buffer = 0)
      : socket_(PlainSocket::Kind::kTcp) {
    if (receive_buffer > 0) socket_.SetReceiveBuffer(receive_buffer);
    socket_.SetNoDelay();
    connected_ = socket_.Connect(to);
  }
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  bool Connected() const { return connected_; }
  bool Send(const std::string& bytes) { return socket_.Send(bytes); }
  void ShutdownWrite() { socket_.ShutdownWrite(); }
  // Closes with a reset instead of an orderly close.
  void Reset() { socket_.Reset(); }
  void Close() { socket_.Close(); }

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
    if (!socket_.WaitReadable(timeout_ms)) return false;
    char c;
    return socket_.Receive(&c, 1, true) <= 0;
  }

 private:
  std::string ReadUntil(size_t count, std::chrono::milliseconds timeout, bool& closed) {
    std::string out;
    std::vector<char> buffer(1 << 16);
    while (out.size() < count) {
      if (!socket_.WaitReadable(static_cast<int>(timeout.count()))) break;
      const long n = socket_.Receive(buffer.data(), buffer.size());
      if (n <= 0) {
        closed = true;
        break;
      }
      out.append(buffer.data(), static_cast<size_t>(n));
    }
    return out;
  }

  PlainSocket socket_;
  bool connected_ = false;
};

}  // namespace quarnel::sockets_testing
