// Runs a test program in a network of its own when the system allows it
// (PrivateNetwork.h): fixed ports never meet another run's server, and the machine's
// primary address is 192.0.2.10 whatever /etc/hosts says. Where none can be had and the
// system allows no other (Windows), every test of the program skips.
#include "platform/sockets/tests/PrivateNetwork.h"

#include <iostream>
#include <string>

#include <gtest/gtest.h>

namespace {

class PrivateNetworkEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string why;
    if (quarnel::sockets_testing::EnterPrivateNetwork({}, &why)) return;
    // Never towards an address of a real network the tests were not given.
    if (!quarnel::sockets_testing::SharedNetworkAllowed()) GTEST_SKIP() << why;
    std::cerr << "note: running in the shared network (" << why << ")\n";
  }
};

const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new PrivateNetworkEnvironment);  // gtest takes ownership

}  // namespace
