// IPv4 addresses and the machine's names, as the socket layer uses them.
//
// An address is kept as stored in a socket address: four bytes in network order, the
// first byte the first number of its dotted text. Ports are plain numbers. The name
// functions block; they serve local names and the reverse lookups of accepted peers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::platform {

struct Ipv4Address {
  uint32_t address = 0;  // network byte order, as stored in memory
  uint16_t port = 0;     // host byte order
};

// The address that inet_addr gives for text that is not an address: all ones, which is
// also the broadcast address.
constexpr uint32_t kInetNone = 0xFFFFFFFFu;

// "a.b.c.d" from the address's bytes in memory order.
std::string DottedText(uint32_t address);
// The address of strict dotted text ("127.0.0.1"); none for anything else.
std::optional<uint32_t> ParseDotted(const std::string& text);
// inet_addr: also reads the short and numeric forms; kInetNone for anything else.
uint32_t InetAddr(const std::string& text);

// The machine's host name (256-byte buffer, cut at the first NUL); empty on failure.
std::string LocalHostName();
// The IPv4 addresses of a name, first one first (gethostbyname). `error` gets the
// Windows Sockets number of a failure.
std::vector<uint32_t> ResolveIpv4(const std::string& name, int32_t& error);
// The name of an address (getnameinfo, 256-byte buffer, cut at the first NUL); the
// dotted text when the address has no name.
std::string ReverseLookup(uint32_t address);

}  // namespace quarnel::platform
