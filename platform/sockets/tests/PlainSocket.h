// A plain blocking socket for the other end of a test: the same few calls over POSIX
// sockets (PlainSocket_posix.cc) and Windows Sockets (PlainSocket_win.cc), with every wait
// bounded by the caller. Addresses are platform::Ipv4Address (network-order bytes).
#pragma once

#include "platform/sockets/Ipv4.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarnel::sockets_testing {

// `address` (dotted text, or the loopback address when it is none) and `port`.
inline platform::Ipv4Address AddressOf(const std::string& address, uint16_t port) {
  return {platform::ParseDotted(address).value_or(*platform::ParseDotted("127.0.0.1")), port};
}

class PlainSocket {
 public:
  enum class Kind { kUdp, kTcp };

  explicit PlainSocket(Kind kind);
  ~PlainSocket() { Close(); }
  PlainSocket(const PlainSocket&) = delete;
  PlainSocket& operator=(const PlainSocket&) = delete;

  bool Open() const { return handle_ != kNone; }
  void SetReceiveBuffer(int bytes);
  void SetNoDelay();
  bool Bind(const platform::Ipv4Address& address);
  bool Listen();
  uint16_t LocalPort() const;
  bool Connect(const platform::Ipv4Address& to);

  // True when every byte went.
  bool Send(const std::string& bytes);
  bool SendTo(const std::string& bytes, const platform::Ipv4Address& to);
  // Bytes read (0: the peer closed), or -1 on an error (also a datagram cut short).
  long Receive(char* buffer, size_t size, bool peek = false);
  // True when a read would not block (data, a close or an error) within `timeout_ms`.
  bool WaitReadable(int timeout_ms);

  void ShutdownWrite();
  // Closes with a reset instead of an orderly close.
  void Reset();
  void Close();

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;
};

}  // namespace quarnel::sockets_testing
