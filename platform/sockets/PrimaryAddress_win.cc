// The primary address on Windows: the host name's addresses, the adapters' IPv4 addresses
// (GetAdaptersAddresses) and the adapter of the default route with the lowest metric
// (GetIpForwardTable), fed to the same choice as on POSIX systems.
#include "platform/base/WideText_win.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/SystemSockets.h"

#include <map>
#include <vector>

#include <iphlpapi.h>

namespace quarnel::platform {
namespace {

// Every IPv4 address of every adapter, in the system's order, and the adapters' names by
// interface index.
std::vector<InterfaceAddress> ListInterfaceAddresses(std::map<DWORD, std::string>& names) {
  std::vector<InterfaceAddress> found;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  // Bounded: the list can grow between the two calls, but not without end.
  for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    result = ::GetAdaptersAddresses(
        AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER,
        nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != NO_ERROR) return found;
  for (auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter != nullptr;
       adapter = adapter->Next) {
    // The name people see ("Ethernet"); the adapter's own name is a GUID.
    const std::string name = adapter->FriendlyName != nullptr
                                 ? Utf8FromWide(adapter->FriendlyName)
                                 : (adapter->AdapterName != nullptr ? adapter->AdapterName : "");
    names[adapter->IfIndex] = name;
    for (auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
         unicast = unicast->Next) {
      const sockaddr* address = unicast->Address.lpSockaddr;
      if (address == nullptr || address->sa_family != AF_INET) continue;
      InterfaceAddress a;
      a.interface_name = name;
      a.address = reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
      a.up = adapter->OperStatus == IfOperStatusUp;
      found.push_back(std::move(a));
    }
  }
  return found;
}

// The adapter of the IPv4 default route with the lowest metric; empty when there is none.
std::string DefaultRouteInterface(const std::map<DWORD, std::string>& names) {
  ULONG size = 0;
  std::vector<unsigned char> buffer;
  DWORD result = ERROR_INSUFFICIENT_BUFFER;
  for (int attempt = 0; attempt < 4 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
    buffer.resize(size > 0 ? size : sizeof(MIB_IPFORWARDTABLE));
    size = static_cast<ULONG>(buffer.size());
    result =
        ::GetIpForwardTable(reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.data()), &size, FALSE);
  }
  if (result != NO_ERROR) return "";
  const auto* table = reinterpret_cast<const MIB_IPFORWARDTABLE*>(buffer.data());
  std::string best;
  DWORD best_metric = 0;
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IPFORWARDROW& row = table->table[i];
    if (row.dwForwardDest != 0 || row.dwForwardMask != 0) continue;
    auto name = names.find(row.dwForwardIfIndex);
    if (name == names.end()) continue;
    if (best.empty() || row.dwForwardMetric1 < best_metric) {
      best = name->second;
      best_metric = row.dwForwardMetric1;
    }
  }
  return best;
}

}  // namespace

PrimaryAddress FindPrimaryAddress() {
  RequireSocketLibrary();
  const std::string host_name = LocalHostName();
  int32_t error = 0;
  const std::vector<uint32_t> host_addresses = ResolveIpv4(host_name, error);
  std::map<DWORD, std::string> names;
  std::vector<InterfaceAddress> interfaces = ListInterfaceAddresses(names);
  return ChoosePrimaryAddress(host_name, host_addresses, interfaces, DefaultRouteInterface(names));
}

}  // namespace quarnel::platform
