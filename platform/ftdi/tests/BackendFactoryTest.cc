// Choosing the back end from the environment.
#include "platform/ftdi/BackendFactory.h"
#include "platform/ftdi/tests/CaptureLines.h"
#include "platform/ftdi/tests/FakeLineClock.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::ftdi {
namespace {

using Kind = FtdiSetting::Kind;

TEST(FtdiSettingTest, ParsesTheSimulatedDeviceList) {
  struct Case {
    const char* value;
    Kind kind;
    std::vector<std::string> serials;
  };
  const std::string longest(63, 'x');
  const std::string too_long = "sim:" + std::string(64, 'x');
  const std::string at_limit = "sim:" + longest;
  const Case cases[] = {
      {nullptr, Kind::kHardware, {}},
      {"sim:", Kind::kSimulated, {}},
      {"sim:A6008abc", Kind::kSimulated, {"A6008abc"}},
      {"sim:A,B,A", Kind::kSimulated, {"A", "B", "A"}},
      {at_limit.c_str(), Kind::kSimulated, {longest}},
      {too_long.c_str(), Kind::kInvalid, {}},
      {"sim:A,,B", Kind::kInvalid, {}},
      {"sim:A,", Kind::kInvalid, {}},
      {"sim:,A", Kind::kInvalid, {}},
      {"sim:A B", Kind::kInvalid, {}},
      {"sim:A\tB", Kind::kInvalid, {}},
      {"sim:A\x7f", Kind::kInvalid, {}},
      {"SIM:A", Kind::kInvalid, {}},
      {"hardware", Kind::kInvalid, {}},
      {"", Kind::kInvalid, {}},
  };
  for (const Case& c : cases) {
    const FtdiSetting s = ParseFtdiSetting(c.value);
    EXPECT_EQ(s.kind, c.kind) << (c.value ? c.value : "(unset)");
    EXPECT_EQ(s.serials, c.serials) << (c.value ? c.value : "(unset)");
    if (s.kind == Kind::kInvalid) {
      EXPECT_NE(s.error.find("QUARNEL_FTDI"), std::string::npos);
    }
  }
}

TEST(BackendFactoryTest, AnUnusableSettingIsReportedAndAttachesNothing) {
  FakeLineClock clock;
  std::vector<std::string> reports;
  FtdiReporter report = [&](const std::string& line) { reports.push_back(line); };
  FtdiEnvironment env;
  env.ftdi = "sim:A B";
  std::unique_ptr<FtdiBackend> backend = MakeBackend(env, clock, report);
  ASSERT_TRUE(backend);
  EXPECT_TRUE(backend->List().devices.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("running without an interface"), std::string::npos);
}

TEST(BackendFactoryTest, SimulatedDevicesWriteTheCaptureNamed) {
  FakeLineClock clock;
  FtdiReporter report = [](const std::string&) {};
  const std::string path = TempCapturePath("factory");
  FtdiEnvironment env;
  env.ftdi = "sim:Q1";
  env.capture = path.c_str();
  env.sim_fast = "1";
  {
    D2xx d2xx(MakeBackend(env, clock, report), clock, report);
    FT_HANDLE h = 0;
    ASSERT_EQ(d2xx.FT_Open(0, &h), kFtOk);
    ASSERT_EQ(d2xx.FT_SetDivisor(h, 12), kFtOk);
    std::vector<uint8_t> slots(512, 1);
    uint32_t written = 0;
    const auto before = clock.Now();
    ASSERT_EQ(d2xx.FT_Write(h, slots.data(), 512, &written), kFtOk);
    EXPECT_EQ(clock.Now(), before) << "QUARNEL_FTDI_SIM_FAST=1 makes writes take no time";
  }  // closing writes what is left of the capture
  const std::vector<std::string> calls = CaptureTexts(path);
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], "Q1 OPEN 0");
  EXPECT_EQ(calls[3], "Q1 CLOSE");
}

TEST(BackendFactoryTest, ACaptureThatCannotBeWrittenIsReported) {
  FakeLineClock clock;
  std::vector<std::string> reports;
  FtdiReporter report = [&](const std::string& line) { reports.push_back(line); };
  FtdiEnvironment env;
  env.ftdi = "sim:Q1";
  env.capture = "/nonexistent-folder/capture.txt";
  std::unique_ptr<FtdiBackend> backend = MakeBackend(env, clock, report);
  EXPECT_EQ(backend->List().devices.size(), 1u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("/nonexistent-folder/capture.txt"), std::string::npos);
}

}  // namespace
}  // namespace quarnel::ftdi
