// Plain-socket peers of the web server for the tests: HTTP clients, and a UDP receiver on
// port 15006 that stands in for the DMX output server and collects the channel tests sent
// to it. Every wait is bounded.
#pragma once

#include "platform/sockets/tests/PlainSocket.h"
#include "platform/sockets/tests/TcpClient.h"
#include "tools/dmxsend/UdpSender.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel::webdiag::testing {

using namespace std::chrono_literals;

inline std::string Primary() {
  std::string error;
  const std::string address = dmxsend::PrimaryAddress(error);
  return address.empty() ? "127.0.0.1" : address;
}

using sockets_testing::AddressOf;

// Receives the channel tests the server sends, as the DMX output server would.
class TestCommands {
 public:
  TestCommands() : socket_(sockets_testing::PlainSocket::Kind::kUdp) {
    bound_ = socket_.Bind(AddressOf(Primary(), 15006));
  }
  bool Bound() const { return bound_; }
  // Every datagram received so far, as raw bytes.
  std::vector<std::string> Datagrams() {
    char buffer[2048];
    while (socket_.WaitReadable(0)) {
      const long n = socket_.Receive(buffer, sizeof buffer);
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
  sockets_testing::PlainSocket socket_;
  bool bound_ = false;
  std::vector<std::string> received_;
};

// A blocking HTTP client; every wait is bounded.
class Client : public sockets_testing::TcpClient {
 public:
  explicit Client(uint16_t port, int receive_buffer = 0)
      : TcpClient(AddressOf(Primary(), port), receive_buffer) {}
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
