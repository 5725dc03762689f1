// Shared by the end-to-end tests: a fixture that runs QuarnelOpenDMX on simulated
// interfaces and levels helpers.
#pragma once

#include "dmxserver/harness/ServerRig.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dmx {

using dmxsend::Levels;
using harness::ServerRig;
using harness::WireFrame;

inline Levels Filled(uint8_t level) {
  Levels l;
  l.fill(level);
  return l;
}

inline Levels With(Levels l, int channel, uint8_t level) {
  l[static_cast<size_t>(channel - 1)] = level;
  return l;
}

class EndToEndTest : public ::testing::Test {
 protected:
  // Starts a server; `name` keeps its files apart from other servers of the test.
  ServerRig& Start(const std::string& devices, std::vector<std::string> args = {},
                   const std::string& name = "server", bool fast = true) {
    harness::RigOptions o;
    o.program = QUARNEL_OPENDMX_PROGRAM;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Numbered: a file still open cannot be removed on Windows, so no server of a test
    // reuses an earlier one's files.
    o.work_prefix = ::testing::TempDir() + "/" + info->test_suite_name() + "." + info->name() +
                    "." + name + "." + std::to_string(rigs_.size() + 1);
    o.devices = devices;
    o.args = std::move(args);
    o.fast = fast;
    rigs_.push_back(std::make_unique<ServerRig>(o));
    return *rigs_.back();
  }

  ServerRig& StartReady(const std::string& devices, std::vector<std::string> args = {}) {
    ServerRig& rig = Start(devices, std::move(args));
    EXPECT_TRUE(rig.WaitReady()) << rig.Process().Stdout() << rig.Process().Stderr();
    return rig;
  }

  std::vector<std::unique_ptr<ServerRig>> rigs_;
};

}  // namespace quarnel::dmx
