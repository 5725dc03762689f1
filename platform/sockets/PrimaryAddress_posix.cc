#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace quarnel::platform {

namespace {

// Every IPv4 address of every interface, in the system's order.
std::vector<InterfaceAddress> ListInterfaceAddresses() {
  std::vector<InterfaceAddress> found;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return found;
  for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
    if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
    InterfaceAddress a;
    a.interface_name = i->ifa_name != nullptr ? i->ifa_name : "";
    a.address = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr;
    a.up = (i->ifa_flags & IFF_UP) != 0;
    found.push_back(std::move(a));
  }
  ::freeifaddrs(list);
  return found;
}

// The interface of the IPv4 default route with the lowest metric (the kernel's routing
// table, /proc/net/route); empty when there is none.
std::string DefaultRouteInterface() {
  std::ifstream table("/proc/net/route");
  std::string line;
  std::getline(table, line);  // the heading
  std::string best;
  long best_metric = 0;
  // Bounded by the table's length.
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags, refs, use, mask;
    long metric = 0;
    if (!(fields >> name >> destination >> gateway >> flags >> refs >> use >> metric >> mask)) {
      continue;
    }
    const bool up = (std::strtoul(flags.c_str(), nullptr, 16) & 0x1) != 0;  // RTF_UP
    if (destination != "00000000" || mask != "00000000" || !up) continue;
    if (best.empty() || metric < best_metric) {
      best = name;
      best_metric = metric;
    }
  }
  return best;
}

}  // namespace

PrimaryAddress FindPrimaryAddress() {
  const std::string host_name = LocalHostName();
  int32_t error = 0;
  const std::vector<uint32_t> host_addresses = ResolveIpv4(host_name, error);
  return ChoosePrimaryAddress(host_name, host_addresses, ListInterfaceAddresses(),
                              DefaultRouteInterface());
}

}  // namespace quarnel::platform
