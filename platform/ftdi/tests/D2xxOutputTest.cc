// Frames through the D2XX layer on simulated devices: what the capture shows, how long
// the line takes, and that a break never cuts the previous frame short.
#include "platform/ftdi/tests/D2xxTestRig.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::ftdi {
namespace {

using std::chrono::microseconds;
using std::chrono::nanoseconds;

constexpr auto kSlotTime = microseconds(44);  // 11 bits at 250 000 bit/s

TEST(D2xxOutputTest, WritesAreRecordedAsCountAndLowerCaseHex) {
  D2xxTestRig rig("hex", {"S1"}, {.line_timing = false});
  FT_HANDLE h = 0;
  ASSERT_EQ(rig.d2xx->FT_Open(0, &h), kFtOk);
  const uint8_t bytes[] = {0x00, 0x0a, 0xff, 0x10};
  uint32_t written = 0;
  EXPECT_EQ(rig.d2xx->FT_Write(h, bytes, 1, &written), kFtOk);
  EXPECT_EQ(written, 1u);
  EXPECT_EQ(rig.d2xx->FT_Write(h, bytes + 1, 3, &written), kFtOk);
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(rig.d2xx->FT_Write(h, bytes, 0, &written), kFtOk);
  const std::vector<std::string> expected = {"S1 OPEN 0", "S1 WRITE 1 00", "S1 WRITE 3 0aff10",
                                             "S1 WRITE 0 "};
  EXPECT_EQ(rig.Capture(), expected);
}

TEST(CaptureWriterTest, LinesReachTheFileInTheOrderOfTheCalls) {
  FakeLineClock clock;
  const std::string path = TempCapturePath("order");
  {
    CaptureWriter writer(path, clock);
    ASSERT_TRUE(writer.Ok());
    for (int i = 0; i < 2000; ++i) {
      clock.Advance(nanoseconds(1));
      const uint8_t byte = static_cast<uint8_t>(i);
      writer.Write("S" + std::to_string(i % 3), std::span<const uint8_t>(&byte, 1));
      if (i % 500 == 0) {
        writer.Flush();
        EXPECT_EQ(CaptureTexts(path).size(), static_cast<size_t>(i + 1));
      }
    }
    writer.Call("S0", "CLOSE", {});
  }
  const std::vector<CapturedCall> calls = ReadCapture(path);
  ASSERT_EQ(calls.size(), 2001u);
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(calls[static_cast<size_t>(i)].ns, i + 1);
    static constexpr char kHex[] = "0123456789abcdef";
    const std::string hex = {kHex[(i & 255) >> 4], kHex[i & 15]};
    ASSERT_EQ(calls[static_cast<size_t>(i)].text, "S" + std::to_string(i % 3) + " WRITE 1 " + hex);
  }
  EXPECT_EQ(calls.back().text, "S0 CLOSE");
}

TEST(D2xxOutputTest, CaptureTimesCountFromTheOpeningOfTheCapture) {
  D2xxTestRig rig("times", {"S1"});
  rig.clock.Advance(std::chrono::milliseconds(5));
  FT_HANDLE h = rig.OpenForDmx(0);
  rig.SendFrame(h);
  const std::vector<CapturedCall> calls = rig.Calls();
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(calls[0].ns, 5'000'000);
  // The 1-byte start code takes one slot time before the 512 slots are handed over.
  EXPECT_EQ(calls[11].ns - calls[10].ns, nanoseconds(kSlotTime).count());
}

TEST(D2xxOutputTest, ASimulatedWriteTakesItsLineTimeAtTheBaudRateSet) {
  D2xxTestRig rig("linetime", {"S1"});
  FT_HANDLE h = rig.OpenForDmx(0);
  const auto before = rig.clock.Now();
  std::vector<uint8_t> slots(512, 7);
  uint32_t written = 0;
  ASSERT_EQ(rig.d2xx->FT_Write(h, slots.data(), 512, &written), kFtOk);
  EXPECT_EQ(rig.clock.Now() - before, 512 * kSlotTime);

  // At the 9600 baud that opening leaves, 8N1 (10 bits), one byte takes 1041 us.
  FT_HANDLE other = 0;
  D2xxTestRig slow("slow", {"S2"});
  ASSERT_EQ(slow.d2xx->FT_Open(0, &other), kFtOk);
  const auto t0 = slow.clock.Now();
  ASSERT_EQ(slow.d2xx->FT_Write(other, slots.data(), 1, &written), kFtOk);
  EXPECT_EQ(slow.clock.Now() - t0, nanoseconds(1'000'000'000ll * 10 / 9600));
}

TEST(D2xxOutputTest, FastSimulationWritesTakeNoTime) {
  D2xxTestRig rig("fast", {"S1"}, {.line_timing = false});
  FT_HANDLE h = rig.OpenForDmx(0);
  const auto before = rig.clock.Now();
  for (int i = 0; i < 10; ++i) rig.SendFrame(h);
  // Only the break and the mark after it take time.
  EXPECT_EQ(rig.clock.Now() - before,
            10 * (DeviceSession::kBreakHold + DeviceSession::kMarkAfterBreakHold));
}

// The break and the mark after it hold for their least times however quickly the calls
// follow each other; a program slower than that adds no wait of its own.
TEST(D2xxOutputTest, BreakLastsAtLeast110AndTheMarkAfterIt16Microseconds) {
  struct Case {
    const char* what;
    microseconds gap;  // the program's own time between the calls
    microseconds brk;
    microseconds mark;
  };
  const Case cases[] = {
      {"calls back to back", microseconds(0), microseconds(110), microseconds(16)},
      {"calls 50 us apart", microseconds(50), microseconds(110), microseconds(50)},
      {"calls 200 us apart", microseconds(200), microseconds(200), microseconds(200)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    D2xxTestRig rig("holds", {"S1"}, {.line_timing = false});
    FT_HANDLE h = rig.OpenForDmx(0);
    const uint8_t start = 0;
    uint32_t written = 0;
    ASSERT_EQ(rig.d2xx->FT_SetBreakOn(h), kFtOk);
    rig.clock.Advance(c.gap);
    ASSERT_EQ(rig.d2xx->FT_SetBreakOff(h), kFtOk);
    rig.clock.Advance(c.gap);
    ASSERT_EQ(rig.d2xx->FT_Write(h, &start, 1, &written), kFtOk);
    const std::vector<CapturedCall> calls = rig.Calls();
    ASSERT_EQ(calls.size(), 11u);
    ASSERT_EQ(calls[8].text, "S1 BREAK_ON");
    EXPECT_EQ(calls[9].ns - calls[8].ns, nanoseconds(c.brk).count());
    EXPECT_EQ(calls[10].ns - calls[9].ns, nanoseconds(c.mark).count());
  }
}

TEST(D2xxOutputTest, EveryFrameIsBreakStartCodeAndSlots) {
  D2xxTestRig rig("frame", {"S1"}, {.line_timing = false});
  FT_HANDLE h = rig.OpenForDmx(0);
  for (FT_STATUS s : rig.SendFrame(h, 0xab)) EXPECT_EQ(s, kFtOk);
  std::vector<std::string> calls = rig.Capture();
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(calls[8], "S1 BREAK_ON");
  EXPECT_EQ(calls[9], "S1 BREAK_OFF");
  EXPECT_EQ(calls[10], "S1 WRITE 1 00");
  std::string slots;
  for (int i = 0; i < 512; ++i) slots += "ab";
  EXPECT_EQ(calls[11], "S1 WRITE 512 " + slots);
}

// A chip that accepts a write while 128 bytes still wait in it: without a guard the next
// break would land while they leave.
TEST(D2xxOutputTest, BreakWaitsUntilThePreviousFrameHasLeftTheChip) {
  const SimulatedOptions fifo{.line_timing = true, .fifo_bytes = 128};
  D2xxTestRig rig("guard", {"S1"}, fifo);
  FT_HANDLE h = rig.OpenForDmx(0);
  for (int frame = 0; frame < 5; ++frame) rig.SendFrame(h);
  EXPECT_EQ(rig.sim->FramesCutByBreak(), 0);

  // Each break comes no sooner than the previous frame's 513 slots need on the line.
  const std::vector<CapturedCall> calls = rig.Calls();
  int64_t first_slot = -1;
  for (const CapturedCall& c : calls) {
    if (c.text == "S1 WRITE 1 00") first_slot = c.ns;
    if (c.text == "S1 BREAK_ON" && first_slot >= 0) {
      EXPECT_GE(c.ns - first_slot, nanoseconds(513 * kSlotTime).count());
    }
  }
}

TEST(D2xxOutputTest, TheSimulatedLineNoticesABreakThatCutsAFrame) {
  // The guard above is only worth something if the simulation can see the fault.
  FakeLineClock clock;
  SimulatedBackend sim({"S1"}, clock, nullptr, {.line_timing = true, .fifo_bytes = 128});
  FtdiOpen opened = sim.Open(sim.List().devices[0], 0);
  ASSERT_TRUE(opened.status.ok());
  FtdiPort& port = *opened.port;
  ASSERT_TRUE(port.SetDivisor(12).ok());
  ASSERT_TRUE(port.SetDataCharacteristics({8, 2, 0}).ok());
  std::vector<uint8_t> frame(513, 0);
  ASSERT_TRUE(port.Write(frame).ok());
  EXPECT_EQ(port.TransmitterEmpty(), std::optional<bool>(false));
  ASSERT_TRUE(port.SetBreak(true, {8, 2, 0}).ok());
  EXPECT_EQ(sim.FramesCutByBreak(), 1);
}

// A device that cannot say whether its transmitter is empty: the break waits for the
// frame's line time instead, and never longer than the bound.
class SilentLinePort : public FtdiPort {
 public:
  FtdiResult Reset() override { return {}; }
  FtdiResult SetDivisor(uint16_t) override { return {}; }
  FtdiResult SetDataCharacteristics(const LineSettings&) override { return {}; }
  FtdiResult SetFlowControl(uint16_t, uint8_t, uint8_t) override { return {}; }
  FtdiResult ClearRts() override { return {}; }
  FtdiResult Purge(uint32_t) override { return {}; }
  FtdiResult SetBreak(bool on, const LineSettings& line) override {
    if (on) breaks.push_back(clock->Now());
    last_line = line;
    return {};
  }
  FtdiResult Write(std::span<const uint8_t>) override { return {}; }  // returns at once
  std::optional<bool> TransmitterEmpty() override { return std::nullopt; }
  bool Probe() override { return true; }

  LineClock* clock = nullptr;
  std::vector<LineClock::Nanos> breaks;
  LineSettings last_line;
};

TEST(DeviceSessionTest, WithoutTransmitterStatusTheBreakWaitsForTheLineTime) {
  FakeLineClock clock;
  SimulatedBackend unused({}, clock, nullptr);
  auto port = std::make_unique<SilentLinePort>();
  SilentLinePort* raw = port.get();
  raw->clock = &clock;
  FtdiReporter report = [](const std::string&) {};
  DeviceSession session(unused, clock, report, {"X", "d", "l"}, std::move(port));
  ASSERT_TRUE(session.SetDivisor(12).ok());
  ASSERT_TRUE(session.SetDataCharacteristics({8, 2, 0}).ok());

  const auto start = clock.Now();
  std::vector<uint8_t> slots(512, 0);
  ASSERT_TRUE(session.Write(std::span<const uint8_t>(slots.data(), 1)).ok());
  ASSERT_TRUE(session.Write(slots).ok());
  ASSERT_TRUE(session.SetBreak(true).ok());
  ASSERT_EQ(raw->breaks.size(), 1u);
  EXPECT_EQ(raw->breaks[0] - start, 513 * kSlotTime);
  // The break request repeats the line's 8N2.
  EXPECT_EQ(raw->last_line, (LineSettings{8, 2, 0}));

  // A huge write does not hold the next break for its whole line time.
  std::vector<uint8_t> huge(100000, 0);
  ASSERT_TRUE(session.Write(huge).ok());
  const auto before = clock.Now();
  ASSERT_TRUE(session.SetBreak(true).ok());
  EXPECT_EQ(clock.Now() - before, LineTracker::kMaxWait);

  // A break right after a break waits for nothing.
  const auto again = clock.Now();
  ASSERT_TRUE(session.SetBreak(true).ok());
  EXPECT_EQ(clock.Now(), again);
}

TEST(DeviceSessionTest, BaudRatesOfTheDivisors) {
  EXPECT_EQ(DeviceSession::BaudForDivisor(12), 250000u);
  EXPECT_EQ(DeviceSession::BaudForDivisor(0), 3000000u);
  EXPECT_EQ(DeviceSession::BaudForDivisor(1), 2000000u);
  EXPECT_EQ(DeviceSession::BaudForDivisor(312), 9615u);
}

}  // namespace
}  // namespace quarnel::ftdi
