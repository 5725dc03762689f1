// A network of its own for a test or benchmark process: a fresh network namespace whose
// only interface is the loopback interface, and a host name of its own ("localhost", so
// that the name stands for loopback only whatever the machine's /etc/hosts says).
// Fixed ports bound there never meet another run's, and nothing leaves the machine.
//
// Optionally the loopback interface also carries kDocumentationAddress (192.0.2.10/24,
// a range kept for documentation and never routed), and a default route through it: a
// stand-in for a machine on a network, which has no spare devices to give.
//
// Needs the right to make namespaces (root). Namespaces belong to the calling thread and
// are inherited by threads and processes started from it afterwards. PrivateNetwork_posix.cc
// makes them; on Windows (PrivateNetwork_win.cc) the tests run inside one that
// tools/test-windows.sh makes for Wine, and only find out whether they are there.
#pragma once

#include <string>

namespace quarnel::sockets_testing {

constexpr char kDocumentationAddress[] = "192.0.2.10";

struct NetworkShape {
  bool documentation_address = true;  // 192.0.2.10/24 on the loopback interface
  bool default_route = false;         // a default route through the loopback interface
};

// Moves the calling thread into a new network and host-name namespace of `shape`.
// False (and why) when the system does not allow it; the caller then stays where it was.
bool EnterPrivateNetwork(const NetworkShape& shape, std::string* why);

// Whether tests that found no private network may go on in the machine's own network:
// on Linux, yes (tests then use the machine's primary address); on Windows, no.
bool SharedNetworkAllowed();

// A private network for one scope: the thread returns to the namespaces it came from
// when the object goes.
class ScopedPrivateNetwork {
 public:
  explicit ScopedPrivateNetwork(const NetworkShape& shape);
  ~ScopedPrivateNetwork();
  ScopedPrivateNetwork(const ScopedPrivateNetwork&) = delete;
  ScopedPrivateNetwork& operator=(const ScopedPrivateNetwork&) = delete;

  bool Entered() const { return entered_; }
  const std::string& Why() const { return why_; }

 private:
  int previous_net_ = -1;
  int previous_uts_ = -1;
  bool entered_ = false;
  std::string why_;
};

}  // namespace quarnel::sockets_testing
