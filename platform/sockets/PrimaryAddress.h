// The machine's primary IPv4 address: where both servers listen and where a phone on the
// local network reaches them.
//
// It is the first address of the machine's own host name, as Windows gives it: there
// the name stands for the network adapter's address. Many Linux systems map the host
// name to a loopback address instead (Debian writes 127.0.1.1 into /etc/hosts), which
// no other machine can reach. So when the host name gives no address of this machine
// outside 127.0.0.0/8, the address is taken from the interfaces: the first IPv4 address
// outside 127.0.0.0/8 of the interface that carries the default route, else the first
// such address of any interface that is up; a loopback address only when there is
// nothing else (the host name's first, else 127.0.0.1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quarnel::platform {

struct PrimaryAddress {
  enum class Source {
    kHostName,      // the first address of the host name that is this machine's
    kDefaultRoute,  // the interface that carries the default route
    kInterface,     // the first interface that is up
    kLoopback,      // nothing but loopback
  };
  uint32_t address = 0;  // network byte order, as stored in a socket address
  Source source = Source::kLoopback;
  std::string host_name;
  std::string interface_name;  // kDefaultRoute, kInterface
};

// One IPv4 address of a network interface, as the system lists them.
struct InterfaceAddress {
  std::string interface_name;
  uint32_t address = 0;  // network byte order
  bool up = false;
};

// Finds the primary address now (the host name and the interfaces are read afresh).
PrimaryAddress FindPrimaryAddress();

// The choice itself, from what the system said: the host name and its addresses in
// order, every interface address in the system's order, and the interface of the
// default route (empty when there is none).
PrimaryAddress ChoosePrimaryAddress(const std::string& host_name,
                                    const std::vector<uint32_t>& host_addresses,
                                    const std::vector<InterfaceAddress>& interfaces,
                                    const std::string& default_route_interface);

// Whether `address` lies in 127.0.0.0/8.
bool IsLoopbackAddress(uint32_t address);

// For people: why this address was chosen, when it is not simply the host name's.
// Empty for kHostName.
std::string DescribePrimaryAddress(const PrimaryAddress& primary);

}  // namespace quarnel::platform
