#include "tools/dmxsend/UdpSender.h"

#include "platform/base/Pause.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/SocketErrors.h"

#include <chrono>

namespace quarnel::dmxsend {

std::string PrimaryAddress(std::string& error) {
  error.clear();
  return platform::DottedText(platform::FindPrimaryAddress().address);
}

UdpSender::UdpSender(const std::string& address) : address_(address) {
  const std::optional<uint32_t> parsed = platform::ParseDotted(address);
  if (!parsed) {
    error_ = "\"" + address + "\" is not an IPv4 address";
    return;
  }
  address_be_ = *parsed;
  int32_t error = 0;
  socket_ = platform::Socket::Create(platform::SocketKind::kUdp, error);
  if (!socket_.Valid()) {
    error_ = "cannot make a UDP socket (Windows Sockets error " + std::to_string(error) + ")";
  }
}

bool UdpSender::Send(uint16_t port, std::span<const uint8_t> bytes) {
  if (!socket_.Valid()) return false;
  size_t sent = 0;
  int32_t error = socket_.SendTo(bytes.data(), bytes.size(), {address_be_, port}, sent);
  // The socket does not block: a full send buffer is waited out for a while, as a blocking
  // send would, but never for long.
  for (int wait = 0; error == platform::kWsaEWouldBlock && wait < 1000; ++wait) {
    platform::PauseFor(std::chrono::microseconds(200));
    error = socket_.SendTo(bytes.data(), bytes.size(), {address_be_, port}, sent);
  }
  if (error == 0 && sent == bytes.size()) return true;
  error_ = "sending to " + address_ + ":" + std::to_string(port) +
           " failed (Windows Sockets error " + std::to_string(error) + ")";
  return false;
}

}  // namespace quarnel::dmxsend
