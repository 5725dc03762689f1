// The OpenDMX module over simulated interfaces: which device it opens, how it sets the
// line up, and what a frame looks like on the wire.
#include "dmxserver/OpenDMX.h"
#include "platform/ftdi/tests/D2xxTestRig.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::dmx {
namespace {

using ftdi::D2xxTestRig;
using ftdi::SimulatedOptions;

const SimulatedOptions kFast{.line_timing = false};

std::string Hex(const Frame& frame) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : frame) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

TEST(OpenDMXFindTest, ChoosesTheDeviceBySerialNumberOrElseTheFirst) {
  struct Case {
    const char* serial;
    std::vector<std::string> attached;
    const char* opened;  // first capture line
  };
  const Case cases[] = {
      {"B22", {"A1", "B22"}, "B22 OPEN 1"},       {"A1", {"A1", "B22"}, "A1 OPEN 0"},
      {"nomatch", {"A1", "B22"}, "A1 OPEN 0"},    {"", {"A1", "B22"}, "A1 OPEN 0"},
      {"b22", {"A1", "B22"}, "A1 OPEN 0"},  // exact case
      {"B2", {"A1", "B22"}, "A1 OPEN 0"},   // whole serial only
      {"DUP", {"X", "DUP", "DUP"}, "DUP OPEN 1"},
  };
  for (const Case& c : cases) {
    D2xxTestRig rig("find", c.attached, kFast);
    OpenDMX dmx(*rig.d2xx);
    dmx.FindDevice(c.serial);
    EXPECT_EQ(dmx.TargetSerial(), c.serial);
    dmx.OpenDevice();
    EXPECT_TRUE(dmx.DeviceOpen()) << c.serial;
    ASSERT_FALSE(rig.Capture().empty());
    EXPECT_EQ(rig.Capture()[0], c.opened) << c.serial;
  }
}

TEST(OpenDMXFindTest, CleansListedTextOfNulsAndSpaces) {
  const char raw[] = {' ', 'A', '\0', 'B', ' ', ' ', '\0', '\0'};
  EXPECT_EQ(OpenDMX::CleanText(raw), "AB");
  const char blank[] = {' ', '\0', ' '};
  EXPECT_EQ(OpenDMX::CleanText(blank), "");
}

TEST(OpenDMXOpenTest, SetsTheLineUpForDmxAndStartsWithADarkFrame) {
  D2xxTestRig rig("setup", {"S1"}, kFast);
  OpenDMX dmx(*rig.d2xx);
  dmx.FindDevice("S1");
  dmx.OpenDevice();
  ASSERT_TRUE(dmx.DeviceOpen());
  const std::vector<std::string> expected = {
      "S1 OPEN 0",         "S1 RESET",   "S1 SET_DIVISOR 12", "S1 SET_DATA 8 2 0",
      "S1 SET_FLOW 0 0 0", "S1 CLR_RTS", "S1 PURGE 2",        "S1 PURGE 1"};
  EXPECT_EQ(rig.Capture(), expected);
  EXPECT_EQ(dmx.FrameBuffer(), Frame{});
}

TEST(OpenDMXOpenTest, WithoutAnInterfaceNothingIsEverWritten) {
  D2xxTestRig rig("absent", {}, kFast);
  OpenDMX dmx(*rig.d2xx);
  dmx.FindDevice("S1");
  dmx.OpenDevice();
  EXPECT_FALSE(dmx.DeviceOpen());
  Frame frame;
  frame.fill(9);
  dmx.SetFrame(frame);
  dmx.SendFrame();
  dmx.CloseDevice();
  EXPECT_TRUE(rig.Capture().empty());
  EXPECT_TRUE(rig.reports.empty());
}

TEST(OpenDMXOpenTest, AnInterfaceThatCannotBeOpenedLeavesTheModuleClosed) {
  D2xxTestRig rig("denied", {"S1"}, kFast);
  rig.sim->FailOpen("S1", ftdi::FtdiOutcome::kNoPermission,
                    "no permission to use /dev/bus/usb/001/004");
  OpenDMX dmx(*rig.d2xx);
  dmx.FindDevice("S1");
  dmx.OpenDevice();
  EXPECT_FALSE(dmx.DeviceOpen());
  dmx.SendFrame();
  EXPECT_TRUE(rig.Capture().empty());
  ASSERT_EQ(rig.reports.size(), 1u);
  EXPECT_NE(rig.reports[0].find("udev"), std::string::npos);
}

// A back end whose port refuses one set-up request.
class RefusingPort : public ftdi::FtdiPort {
 public:
  RefusingPort(std::vector<std::string>& log, std::string refuse) : log_(log), refuse_(refuse) {}
  ~RefusingPort() override { log_.push_back("CLOSE"); }
  ftdi::FtdiResult Reset() override { return Call("RESET"); }
  ftdi::FtdiResult SetDivisor(uint16_t) override { return Call("SET_DIVISOR"); }
  ftdi::FtdiResult SetDataCharacteristics(const ftdi::LineSettings&) override {
    return Call("SET_DATA");
  }
  ftdi::FtdiResult SetFlowControl(uint16_t, uint8_t, uint8_t) override { return Call("SET_FLOW"); }
  ftdi::FtdiResult ClearRts() override { return Call("CLR_RTS"); }
  ftdi::FtdiResult Purge(uint32_t mask) override { return Call("PURGE " + std::to_string(mask)); }
  ftdi::FtdiResult SetBreak(bool on, const ftdi::LineSettings&) override {
    return Call(on ? "BREAK_ON" : "BREAK_OFF");
  }
  ftdi::FtdiResult Write(std::span<const uint8_t>) override { return Call("WRITE"); }
  std::optional<bool> TransmitterEmpty() override { return true; }
  bool Probe() override { return true; }

 private:
  ftdi::FtdiResult Call(const std::string& what) {
    log_.push_back(what);
    if (what == refuse_) return ftdi::FtdiResult::Fail(ftdi::FtdiOutcome::kIoError, "refused");
    return {};
  }
  std::vector<std::string>& log_;
  std::string refuse_;
};

class RefusingBackend : public ftdi::FtdiBackend {
 public:
  RefusingBackend(std::vector<std::string>& log, std::string refuse) : log_(log), refuse_(refuse) {}
  ftdi::FtdiList List() override { return {{}, {{"S1", "FT232R USB UART", "x"}}}; }
  ftdi::FtdiOpen Open(const ftdi::FtdiDeviceInfo&, uint32_t) override {
    log_.push_back("OPEN");
    return {{}, std::make_unique<RefusingPort>(log_, refuse_)};
  }

 private:
  std::vector<std::string>& log_;
  std::string refuse_;
};

TEST(OpenDMXOpenTest, TheFirstFailingSetUpStepEndsOpeningAndClosesTheHandle) {
  const std::vector<std::string> steps = {"RESET",   "SET_DIVISOR", "SET_DATA", "SET_FLOW",
                                          "CLR_RTS", "PURGE 2",     "PURGE 1"};
  for (size_t failing = 0; failing < steps.size(); ++failing) {
    std::vector<std::string> log;
    ftdi::FakeLineClock clock;
    ftdi::D2xx d2xx(std::make_unique<RefusingBackend>(log, steps[failing]), clock, nullptr);
    OpenDMX dmx(d2xx);
    dmx.FindDevice("S1");
    dmx.OpenDevice();
    EXPECT_FALSE(dmx.DeviceOpen()) << steps[failing];
    dmx.SendFrame();
    std::vector<std::string> expected = {"OPEN"};
    expected.insert(expected.end(), steps.begin(), steps.begin() + static_cast<long>(failing) + 1);
    expected.push_back("CLOSE");
    EXPECT_EQ(log, expected) << steps[failing];
  }
}

TEST(OpenDMXSendTest, EachFrameIsBreakStartCodeZeroAndTheSlotsInOrder) {
  D2xxTestRig rig("frames", {"S1"}, kFast);
  OpenDMX dmx(*rig.d2xx);
  dmx.FindDevice("S1");
  dmx.OpenDevice();
  const size_t setup = rig.Capture().size();
  Frame frame;
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7 + 1);
  dmx.SetFrame(frame);
  dmx.SendFrame();
  frame[0] = 255;
  frame[511] = 0;
  dmx.SetFrame(frame);
  dmx.SendFrame();
  const std::vector<std::string> calls = rig.Capture();
  ASSERT_EQ(calls.size(), setup + 8);
  for (size_t f = 0; f < 2; ++f) {
    const size_t at = setup + f * 4;
    EXPECT_EQ(calls[at], "S1 BREAK_ON");
    EXPECT_EQ(calls[at + 1], "S1 BREAK_OFF");
    EXPECT_EQ(calls[at + 2], "S1 WRITE 1 00");
  }
  EXPECT_EQ(calls[setup + 7], "S1 WRITE 512 " + Hex(frame));
  // Slot 1 carries byte 0 of the frame.
  EXPECT_EQ(calls[setup + 7].substr(13, 2), "ff");
  EXPECT_EQ(calls[setup + 7].substr(13 + 511 * 2), "00");
}

TEST(OpenDMXSendTest, TheFrameBufferKeepsTheLastFrameSet) {
  D2xxTestRig rig("keep", {"S1"}, kFast);
  OpenDMX dmx(*rig.d2xx);
  dmx.OpenDevice();
  Frame frame;
  frame.fill(0x42);
  dmx.SetFrame(frame);
  dmx.SendFrame();
  dmx.SendFrame();
  const std::vector<std::string> calls = rig.Capture();
  EXPECT_EQ(calls[calls.size() - 1], calls[calls.size() - 5]);
}

TEST(OpenDMXCloseTest, ClosesOnceAndOnDestruction) {
  D2xxTestRig rig("close", {"S1"}, kFast);
  {
    OpenDMX dmx(*rig.d2xx);
    dmx.OpenDevice();
    dmx.CloseDevice();
    dmx.CloseDevice();
    EXPECT_FALSE(dmx.DeviceOpen());
    dmx.SendFrame();
  }
  {
    OpenDMX dmx(*rig.d2xx);
    dmx.OpenDevice();
  }
  const std::vector<std::string> calls = rig.Capture();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "S1 CLOSE"), 2);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "S1 BREAK_ON"), 0);
}

TEST(OpenDMXSendTest, OutputResumesAfterTheInterfaceIsPluggedBackIn) {
  D2xxTestRig rig("replug", {"S1"}, kFast);
  OpenDMX dmx(*rig.d2xx);
  dmx.FindDevice("S1");
  dmx.OpenDevice();
  rig.sim->Unplug("S1");
  for (int tick = 0; tick < 20; ++tick) {
    dmx.SendFrame();
    rig.clock.Advance(std::chrono::milliseconds(26));
  }
  EXPECT_TRUE(dmx.DeviceOpen()) << "the module keeps its state; the layer reconnects";
  rig.sim->Plug("S1");
  for (int tick = 0; tick < 60; ++tick) {
    dmx.SendFrame();
    rig.clock.Advance(std::chrono::milliseconds(26));
  }
  const std::vector<std::string> calls = rig.Capture();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "S1 OPEN 0"), 2);
  EXPECT_EQ(calls.back().substr(0, 13), "S1 WRITE 512 ");
  EXPECT_EQ(rig.reports.size(), 2u);
}

}  // namespace
}  // namespace quarnel::dmx
