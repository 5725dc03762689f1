// The libftdi back end's requests, checked against stand-ins for the library.
#include "platform/ftdi/D2xx.h"
#include "platform/ftdi/LibFtdiBackend.h"
#include "platform/ftdi/tests/FakeLibFtdi.h"
#include "platform/ftdi/tests/FakeLineClock.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::ftdi {
namespace {

using fake::Fake;

class LibFtdiBackendTest : public ::testing::Test {
 protected:
  void SetUp() override { Fake().Reset(); }
  void TearDown() override { Fake().Reset(); }

  std::vector<std::string> CallsFrom(size_t first) const {
    return {Fake().calls.begin() + static_cast<long>(first), Fake().calls.end()};
  }
};

TEST_F(LibFtdiBackendTest, ListsEveryFamilyAndBothPortsOfADualChip) {
  Fake().devices = {{0x6001, 1, 4, "A6008abc", "FT232R USB UART", false},
                    {0x6010, 2, 7, "FT55AA", "Dual RS232-HS", false},
                    {0x6014, 3, 9, "FTH1", "Single RS232-HS", false},
                    {0x6015, 3, 10, "FTX1", "FT230X Basic UART", false}};
  LibFtdiBackend backend;
  FtdiList list = backend.List();
  ASSERT_TRUE(list.status.ok());
  ASSERT_EQ(list.devices.size(), 4u);
  EXPECT_EQ(list.devices[0].serial, "A6008abc");
  EXPECT_EQ(list.devices[1].serial, "FT55AAA");
  EXPECT_EQ(list.devices[1].description, "Dual RS232-HS A");
  EXPECT_EQ(list.devices[2].serial, "FT55AAB");
  EXPECT_EQ(list.devices[3].serial, "FTH1");
  // Listing reads only the strings it needs and leaves nothing open.
  for (const std::string& call : Fake().calls) {
    EXPECT_EQ(call.rfind("open", 0), std::string::npos) << call;
    EXPECT_NE(call, "asked for the manufacturer");
  }
  EXPECT_EQ(Fake().live_contexts, 0);
}

TEST_F(LibFtdiBackendTest, ADeviceWhoseStringsCannotBeReadIsStillListed) {
  Fake().devices = {{0x6001, 1, 4, "A6008abc", "FT232R USB UART", true}};
  LibFtdiBackend backend;
  FtdiList list = backend.List();
  ASSERT_EQ(list.devices.size(), 1u);
  EXPECT_EQ(list.devices[0].serial, "");
  EXPECT_EQ(list.devices[0].description, "at USB bus 1 device 4");
}

TEST_F(LibFtdiBackendTest, OpensOnlyTheChosenDeviceGivingTheSerialDriverBackOnClose) {
  Fake().devices = {{0x6001, 1, 4, "FIRST", "FT232R USB UART", false},
                    {0x6001, 1, 5, "SECOND", "FT232R USB UART", false}};
  FakeLineClock clock;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock, nullptr);
  uint32_t count = 0;
  ASSERT_EQ(d2xx.FT_ListDevices(&count, nullptr, kFtListNumberOnly), kFtOk);
  ASSERT_EQ(count, 2u);
  const size_t mark = Fake().calls.size();
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(1, &h), kFtOk);
  ASSERT_EQ(d2xx.FT_Close(h), kFtOk);
  const std::vector<std::string> expected = {"open_bus_addr 1 5 detach_mode=2", "close"};
  EXPECT_EQ(CallsFrom(mark), expected);
  EXPECT_EQ(Fake().live_contexts, 0);
}

TEST_F(LibFtdiBackendTest, SecondPortOfADualChipIsSelectedBeforeOpening) {
  Fake().devices = {{0x6010, 2, 7, "FT55AA", "Dual RS232-HS", false}};
  FakeLineClock clock;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock, nullptr);
  const size_t mark = Fake().calls.size();
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(1, &h), kFtOk);
  const std::vector<std::string> calls = CallsFrom(mark);
  ASSERT_GE(calls.size(), 2u);
  auto at = std::find(calls.begin(), calls.end(), "set_interface 2");
  ASSERT_NE(at, calls.end());
  EXPECT_EQ(*(at + 1), "open_bus_addr 2 7 detach_mode=2");
}

TEST_F(LibFtdiBackendTest, DmxLineSetUpAndFrame) {
  Fake().devices = {{0x6001, 1, 4, "A6008abc", "FT232R USB UART", false}};
  FakeLineClock clock;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock, nullptr);
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
  const size_t mark = Fake().calls.size();
  ASSERT_EQ(d2xx.FT_ResetDevice(h), kFtOk);
  ASSERT_EQ(d2xx.FT_SetDivisor(h, 12), kFtOk);
  ASSERT_EQ(d2xx.FT_SetDataCharacteristics(h, kFtBits8, kFtStopBits2, kFtParityNone), kFtOk);
  ASSERT_EQ(d2xx.FT_SetFlowControl(h, kFtFlowNone, 0, 0), kFtOk);
  ASSERT_EQ(d2xx.FT_ClrRts(h), kFtOk);
  ASSERT_EQ(d2xx.FT_Purge(h, kFtPurgeTx), kFtOk);
  ASSERT_EQ(d2xx.FT_Purge(h, kFtPurgeRx), kFtOk);
  ASSERT_EQ(d2xx.FT_SetBreakOn(h), kFtOk);
  ASSERT_EQ(d2xx.FT_SetBreakOff(h), kFtOk);
  std::vector<uint8_t> frame(513, 0);
  uint32_t written = 0;
  ASSERT_EQ(d2xx.FT_Write(h, frame.data(), 513, &written), kFtOk);
  EXPECT_EQ(written, 513u);
  const std::vector<std::string> expected = {"reset",
                                             "baudrate 250000",
                                             "line 8 2 0",
                                             "flow 0",
                                             "rts 0",
                                             "tcoflush",
                                             "tciflush",
                                             "line+break 8 2 0 1",
                                             "line+break 8 2 0 0",
                                             "write 513 timeout=100"};
  EXPECT_EQ(CallsFrom(mark), expected);
}

TEST_F(LibFtdiBackendTest, XonXoffFlowControlGoesToItsOwnRequest) {
  Fake().devices = {{0x6001, 1, 4, "S", "FT232R USB UART", false}};
  FakeLineClock clock;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock, nullptr);
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
  const size_t mark = Fake().calls.size();
  ASSERT_EQ(d2xx.FT_SetFlowControl(h, kFtFlowXonXoff, 17, 19), kFtOk);
  ASSERT_EQ(d2xx.FT_SetFlowControl(h, kFtFlowRtsCts, 0, 0), kFtOk);
  EXPECT_EQ(CallsFrom(mark), (std::vector<std::string>{"flow_xonxoff 17 19", "flow 256"}));
}

TEST_F(LibFtdiBackendTest, ABreakWaitsForTheTransmitterToReportEmpty) {
  Fake().devices = {{0x6001, 1, 4, "S", "FT232R USB UART", false}};
  Fake().modem_status = 0x2000;  // holding register empty, shift register still busy
  FakeLineClock clock;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock, nullptr);
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
  ASSERT_EQ(d2xx.FT_SetDivisor(h, 12), kFtOk);
  ASSERT_EQ(d2xx.FT_SetDataCharacteristics(h, kFtBits8, kFtStopBits2, kFtParityNone), kFtOk);
  std::vector<uint8_t> frame(513, 0);
  uint32_t written = 0;
  ASSERT_EQ(d2xx.FT_Write(h, frame.data(), 513, &written), kFtOk);
  const auto before = clock.Now();
  ASSERT_EQ(d2xx.FT_SetBreakOn(h), kFtOk);
  // The device never says empty, so the break waited out the frame's line time, asking
  // every half millisecond.
  EXPECT_EQ(clock.Now() - before, std::chrono::microseconds(513 * 44));
  const auto polls = std::count(Fake().calls.begin(), Fake().calls.end(), "poll");
  EXPECT_GE(polls, 40);
  EXPECT_LE(polls, 50);

  Fake().modem_status = 0x6000;
  ASSERT_EQ(d2xx.FT_Write(h, frame.data(), 513, &written), kFtOk);
  const auto again = clock.Now();
  ASSERT_EQ(d2xx.FT_SetBreakOn(h), kFtOk);
  EXPECT_EQ(clock.Now(), again) << "an empty transmitter lets the break go at once";
}

struct OpenErrorCase {
  int code;
  FT_STATUS status;
};

class LibFtdiOpenErrorTest : public LibFtdiBackendTest,
                             public ::testing::WithParamInterface<OpenErrorCase> {};

TEST_P(LibFtdiOpenErrorTest, OpenFailuresBecomeStatuses) {
  Fake().devices = {{0x6001, 1, 4, "S", "FT232R USB UART", false}};
  Fake().open_result = GetParam().code;
  FakeLineClock clock;
  std::vector<std::string> reports;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock,
            [&](const std::string& line) { reports.push_back(line); });
  FT_HANDLE h = 0;
  EXPECT_EQ(d2xx.FT_Open(0, &h), GetParam().status);
  EXPECT_EQ(Fake().live_contexts, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, LibFtdiOpenErrorTest,
                         ::testing::Values(OpenErrorCase{-3, kFtDeviceNotFound},
                                           OpenErrorCase{-5, kFtDeviceNotOpened},
                                           OpenErrorCase{-11, kFtDeviceNotOpened},
                                           OpenErrorCase{-6, kFtIoError}));

TEST_F(LibFtdiBackendTest, AFailedWriteOnAnUnansweringDeviceClosesIt) {
  Fake().devices = {{0x6001, 1, 4, "S", "FT232R USB UART", false}};
  FakeLineClock clock;
  std::vector<std::string> reports;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock,
            [&](const std::string& line) { reports.push_back(line); });
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
  Fake().write_result = -1;
  Fake().poll_result = -1;
  const uint8_t byte = 0;
  uint32_t written = 7;
  EXPECT_EQ(d2xx.FT_Write(h, &byte, 1, &written), kFtIoError);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Fake().calls.back(), "close");
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("usb bulk write failed"), std::string::npos) << reports[0];
}

TEST_F(LibFtdiBackendTest, AFailedWriteOnADeviceThatStillAnswersKeepsItOpen) {
  Fake().devices = {{0x6001, 1, 4, "S", "FT232R USB UART", false}};
  FakeLineClock clock;
  D2xx d2xx(std::make_unique<LibFtdiBackend>(), clock, nullptr);
  FT_HANDLE h = 0;
  ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
  Fake().write_result = -1;
  const uint8_t byte = 0;
  uint32_t written = 0;
  for (int i = 0; i < DeviceSession::kFailuresBeforeReopen - 1; ++i) {
    EXPECT_EQ(d2xx.FT_Write(h, &byte, 1, &written), kFtIoError);
  }
  EXPECT_EQ(std::count(Fake().calls.begin(), Fake().calls.end(), "close"), 0);
  // Too many failures in a row: the device is closed and will be opened afresh.
  EXPECT_EQ(d2xx.FT_Write(h, &byte, 1, &written), kFtIoError);
  EXPECT_EQ(std::count(Fake().calls.begin(), Fake().calls.end(), "close"), 1);
}

}  // namespace
}  // namespace quarnel::ftdi
