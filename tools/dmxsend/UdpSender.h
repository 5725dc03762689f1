// Sends datagrams to the DMX output server over plain UDP, to the machine's primary
// IPv4 address (platform/sockets/PrimaryAddress.h), where the server listens.
#pragma once

#include "platform/sockets/Socket.h"

#include <cstdint>
#include <span>
#include <string>

namespace quarnel::dmxsend {

// The machine's primary IPv4 address as dotted text, as the server chooses it; empty
// (and `error` set) when there is none.
std::string PrimaryAddress(std::string& error);

class UdpSender {
 public:
  // Check Ok(); Error() says why not.
  explicit UdpSender(const std::string& address);
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;

  bool Ok() const { return socket_.Valid(); }
  const std::string& Error() const { return error_; }
  const std::string& Address() const { return address_; }

  // Sends one datagram; false (and Error()) when the system refused it.
  bool Send(uint16_t port, std::span<const uint8_t> bytes);

 private:
  platform::Socket socket_;
  uint32_t address_be_ = 0;
  std::string address_;
  std::string error_;
};

}  // namespace quarnel::dmxsend
