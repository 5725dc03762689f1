// Runs the end-to-end tests in a network namespace of their own when the system allows
// it, so the fixed ports 15005 and 15006 never meet another run's server.
#include "dmxserver/harness/ServerProcess.h"

#include <iostream>
#include <string>

#include <gtest/gtest.h>

namespace {

class PrivateNetworkEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string why;
    if (!quarnel::dmx::harness::EnterPrivateNetwork(&why)) {
      std::cerr << "note: running in the shared network (" << why << ")\n";
    }
  }
};

const auto* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new PrivateNetworkEnvironment);  // gtest takes ownership

}  // namespace
