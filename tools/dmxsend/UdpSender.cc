#include "tools/dmxsend/UdpSender.h"

#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::dmxsend {

std::string PrimaryAddress(std::string& error) {
  error.clear();
  return platform::DottedText(platform::FindPrimaryAddress().address);
}

UdpSender::UdpSender(const std::string& address) : address_(address) {
  in_addr a{};
  if (inet_pton(AF_INET, address.c_str(), &a) != 1) {
    error_ = "\"" + address + "\" is not an IPv4 address";
    return;
  }
  address_be_ = a.s_addr;
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) error_ = std::string("cannot make a UDP socket: ") + std::strerror(errno);
}

UdpSender::~UdpSender() {
  if (fd_ >= 0) ::close(fd_);
}

bool UdpSender::Send(uint16_t port, std::span<const uint8_t> bytes) {
  if (fd_ < 0) return false;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = address_be_;
  const ssize_t n = ::sendto(fd_, bytes.data(), bytes.size(), 0,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (n == static_cast<ssize_t>(bytes.size())) return true;
  error_ =
      "sending to " + address_ + ":" + std::to_string(port) + " failed: " + std::strerror(errno);
  return false;
}

}  // namespace quarnel::dmxsend
