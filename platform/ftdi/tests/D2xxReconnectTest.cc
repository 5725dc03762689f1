// An interface unplugged and plugged back in: the layer reopens it by serial number, at
// most once a second, sets the line up again and says so in one line each way.
#include "platform/ftdi/tests/D2xxTestRig.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::ftdi {
namespace {

using std::chrono::milliseconds;

// Sends a frame every 26 ms of virtual time for `duration`.
void RunFrames(D2xxTestRig& rig, FT_HANDLE h, milliseconds duration) {
  const auto end = rig.clock.Now() + duration;
  while (rig.clock.Now() < end) {
    rig.SendFrame(h);
    rig.clock.Advance(milliseconds(26));
  }
}

int Count(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

TEST(D2xxReconnectTest, ResumesOutputAfterReplugWithOneLineEachWay) {
  D2xxTestRig rig("replug", {"S1"}, {.line_timing = false});
  FT_HANDLE h = rig.OpenForDmx(0);
  RunFrames(rig, h, milliseconds(100));
  ASSERT_TRUE(rig.reports.empty());

  rig.sim->Unplug("S1");
  const size_t before_unplug = rig.Capture().size();
  EXPECT_NE(rig.SendFrame(h)[0], kFtOk);
  RunFrames(rig, h, milliseconds(3000));
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_NE(rig.reports[0].find("S1 stopped answering"), std::string::npos) << rig.reports[0];
  EXPECT_EQ(rig.Capture().size(), before_unplug) << "nothing reaches an unplugged device";

  rig.sim->Plug("S1");
  RunFrames(rig, h, milliseconds(1100));
  ASSERT_EQ(rig.reports.size(), 2u);
  EXPECT_NE(rig.reports[1].find("S1 is back"), std::string::npos) << rig.reports[1];

  // After the reopen, the whole line set-up comes again before the next frame.
  const std::vector<std::string> calls = rig.Capture();
  std::vector<std::string> after(calls.begin() + static_cast<long>(before_unplug), calls.end());
  ASSERT_GE(after.size(), 12u);
  const std::vector<std::string> setup = {
      "S1 OPEN 0",         "S1 RESET",   "S1 SET_DIVISOR 12", "S1 SET_DATA 8 2 0",
      "S1 SET_FLOW 0 0 0", "S1 CLR_RTS", "S1 PURGE 2",        "S1 PURGE 1"};
  EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 8), setup);
  EXPECT_EQ(Count(after, "S1 OPEN 0"), 1);
  EXPECT_GE(Count(after, "S1 WRITE 1 00"), 30);

  // Closing still works on a reopened device.
  EXPECT_EQ(rig.d2xx->FT_Close(h), kFtOk);
  EXPECT_EQ(rig.Capture().back(), "S1 CLOSE");
}

// Counts how often the layer looks for devices.
class CountingBackend : public FtdiBackend {
 public:
  explicit CountingBackend(std::unique_ptr<FtdiBackend> inner) : inner_(std::move(inner)) {}
  FtdiList List() override {
    ++lists;
    return inner_->List();
  }
  FtdiOpen Open(const FtdiDeviceInfo& d, uint32_t i) override { return inner_->Open(d, i); }
  int lists = 0;

 private:
  std::unique_ptr<FtdiBackend> inner_;
};

TEST(D2xxReconnectTest, LooksForTheDeviceAtMostOnceASecond) {
  FakeLineClock clock;
  auto sim = std::make_unique<SimulatedBackend>(std::vector<std::string>{"S1"}, clock, nullptr,
                                                SimulatedOptions{.line_timing = false});
  SimulatedBackend* raw_sim = sim.get();
  auto counting = std::make_unique<CountingBackend>(std::move(sim));
  CountingBackend* counter = counting.get();
  D2xx d2xx(std::move(counting), clock, nullptr);
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
  const int lists_at_open = counter->lists;

  raw_sim->Unplug("S1");
  const uint8_t byte = 0;
  uint32_t written = 0;
  // 10 seconds of calls, one every millisecond.
  for (int i = 0; i < 10000; ++i) {
    EXPECT_NE(d2xx.FT_Write(h, &byte, 1, &written), kFtOk);
    clock.Advance(milliseconds(1));
  }
  const int looks = counter->lists - lists_at_open;
  EXPECT_GE(looks, 9);
  EXPECT_LE(looks, 10);
}

TEST(D2xxReconnectTest, FindsTheSameSerialAtAnotherPlace) {
  D2xxTestRig rig("moved", {"OTHER", "S1"}, {.line_timing = false});
  uint32_t count = 0;
  ASSERT_EQ(rig.d2xx->FT_ListDevices(&count, nullptr, kFtListNumberOnly), kFtOk);
  FT_HANDLE h = rig.OpenForDmx(1);
  rig.sim->Unplug("OTHER");
  rig.sim->Unplug("S1");
  rig.SendFrame(h);
  rig.sim->Plug("S1");  // now the first and only device
  rig.clock.Advance(std::chrono::seconds(1));
  for (FT_STATUS s : rig.SendFrame(h)) EXPECT_EQ(s, kFtOk);
  const std::vector<std::string> calls = rig.Capture();
  EXPECT_EQ(Count(calls, "S1 OPEN 0"), 1);
  EXPECT_EQ(Count(calls, "OTHER OPEN 0"), 0) << "only the chosen device is ever opened";
}

TEST(D2xxReconnectTest, AnotherDeviceWithADifferentSerialIsNotTaken) {
  D2xxTestRig rig("wrong", {"S1", "S2"}, {.line_timing = false});
  FT_HANDLE h = rig.OpenForDmx(0);
  rig.sim->Unplug("S1");
  for (int i = 0; i < 5; ++i) {
    rig.SendFrame(h);
    rig.clock.Advance(std::chrono::seconds(1));
  }
  for (const std::string& line : rig.Capture()) {
    EXPECT_EQ(line.rfind("S2", 0), std::string::npos) << line;
  }
  EXPECT_EQ(rig.reports.size(), 1u);
}

}  // namespace
}  // namespace quarnel::ftdi
