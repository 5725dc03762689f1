#include "platform/sockets/PrimaryAddress.h"

#include "platform/sockets/Ipv4.h"

#include <algorithm>
#include <cstring>

namespace quarnel::platform {

namespace {

constexpr uint32_t kFirstLoopback = 0x0100007Fu;  // 127.0.0.1 as stored

bool Usable(const InterfaceAddress& a) { return a.up && !IsLoopbackAddress(a.address); }

}  // namespace

bool IsLoopbackAddress(uint32_t address) {
  unsigned char first = 0;
  std::memcpy(&first, &address, 1);
  return first == 127;
}

PrimaryAddress ChoosePrimaryAddress(const std::string& host_name,
                                    const std::vector<uint32_t>& host_addresses,
                                    const std::vector<InterfaceAddress>& interfaces,
                                    const std::string& default_route_interface) {
  PrimaryAddress chosen;
  chosen.host_name = host_name;
  // The host name's first address that is this machine's own. When the interfaces could
  // not be read at all, the host name is taken at its word.
  for (uint32_t address : host_addresses) {
    if (IsLoopbackAddress(address)) continue;
    const bool own =
        interfaces.empty() || std::any_of(interfaces.begin(), interfaces.end(),
                                          [&](const auto& i) { return i.address == address; });
    if (!own) continue;
    chosen.address = address;
    chosen.source = PrimaryAddress::Source::kHostName;
    return chosen;
  }
  if (!default_route_interface.empty()) {
    for (const InterfaceAddress& i : interfaces) {
      if (i.interface_name != default_route_interface || !Usable(i)) continue;
      chosen.address = i.address;
      chosen.source = PrimaryAddress::Source::kDefaultRoute;
      chosen.interface_name = i.interface_name;
      return chosen;
    }
  }
  for (const InterfaceAddress& i : interfaces) {
    if (!Usable(i)) continue;
    chosen.address = i.address;
    chosen.source = PrimaryAddress::Source::kInterface;
    chosen.interface_name = i.interface_name;
    return chosen;
  }
  chosen.source = PrimaryAddress::Source::kLoopback;
  chosen.address = host_addresses.empty() ? kFirstLoopback : host_addresses.front();
  return chosen;
}

std::string DescribePrimaryAddress(const PrimaryAddress& primary) {
  const std::string address = DottedText(primary.address);
  const std::string name = primary.host_name.empty() ? "(none)" : primary.host_name;
  switch (primary.source) {
    case PrimaryAddress::Source::kHostName:
      return "";
    case PrimaryAddress::Source::kDefaultRoute:
      return "This machine's name " + name + " stands for no network address, so " + address +
             " is used: the address of " + primary.interface_name +
             ", the interface that carries the default route.";
    case PrimaryAddress::Source::kInterface:
      return "This machine's name " + name + " stands for no network address and no interface " +
             "carries a default route, so " + address + " is used: the address of " +
             primary.interface_name + ".";
    case PrimaryAddress::Source::kLoopback:
      return "This machine has no network address: " + address +
             " is a loopback address, which only this computer can reach. Connect it to the "
             "network and start this program again.";
  }
  return "";
}

}  // namespace quarnel::platform
