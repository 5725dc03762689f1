#include "platform/sockets/Ipv4.h"

#include "platform/sockets/SocketErrors.h"
#include "platform/sockets/SystemSockets.h"

#include <cerrno>
#include <cstring>

namespace quarnel::platform {

std::string DottedText(uint32_t address) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address, 4);
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
         std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

std::optional<uint32_t> ParseDotted(const std::string& text) {
  RequireSocketLibrary();
  in_addr parsed{};
  if (text.size() > 15 || ::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return std::nullopt;
  return parsed.s_addr;
}

uint32_t InetAddr(const std::string& text) {
  if (text.find('\0') != std::string::npos) return kInetNone;
  RequireSocketLibrary();
  return ::inet_addr(text.c_str());
}

std::string LocalHostName() {
  RequireSocketLibrary();
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return "";
  return std::string(buffer, ::strnlen(buffer, sizeof buffer));
}

std::vector<uint32_t> ResolveIpv4(const std::string& name, int32_t& error) {
  std::vector<uint32_t> addresses;
  error = 0;
  if (name.empty() || name.find('\0') != std::string::npos) {
    error = kWsaHostNotFound;
    return addresses;
  }
  RequireSocketLibrary();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  if (result != 0) {
    error = WsaErrorFromLookup(result, errno);
    return addresses;
  }
  for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) continue;
    uint32_t address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
    bool seen = false;
    for (uint32_t known : addresses) seen = seen || known == address;
    if (!seen) addresses.push_back(address);
  }
  ::freeaddrinfo(found);
  if (addresses.empty()) error = kWsaNoData;
  return addresses;
}

std::string ReverseLookup(uint32_t address) {
  RequireSocketLibrary();
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_addr.s_addr = address;
  char host[256] = {};
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&peer), sizeof peer, host, sizeof host - 1,
                    nullptr, 0, 0) != 0) {
    return DottedText(address);
  }
  return std::string(host, ::strnlen(host, sizeof host));
}

}  // namespace quarnel::platform
