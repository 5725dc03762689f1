// A Windows program cannot make a network of its own. tools/test-windows.sh runs the
// Wine tests inside one (a Linux network namespace with kDocumentationAddress on its
// loopback interface); these say whether the program is there.
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/tests/PrivateNetwork.h"

namespace quarnel::sockets_testing {

bool EnterPrivateNetwork(const NetworkShape& shape, std::string* why) {
  const bool inside =
      platform::DottedText(platform::FindPrimaryAddress().address) == kDocumentationAddress;
  if (inside && !shape.default_route) return true;
  if (why) {
    *why = inside ? "a Windows program cannot add a route"
                  : "not inside the network of its own that tools/test-windows.sh makes";
  }
  return false;
}

bool SharedNetworkAllowed() { return false; }

ScopedPrivateNetwork::ScopedPrivateNetwork(const NetworkShape&) {
  why_ = "a Windows program cannot make a network of its own";
}

ScopedPrivateNetwork::~ScopedPrivateNetwork() = default;

}  // namespace quarnel::sockets_testing
