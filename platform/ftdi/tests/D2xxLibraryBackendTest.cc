// The D2XX layer over the vendor's driver library on Windows, against a stand-in DLL
// (FakeD2xxLibrary_win.cc): the calls it makes, the statuses it passes on, and what it
// says when the library is missing.
#include "platform/base/WideText_win.h"
#include "platform/ftdi/BackendFactory.h"
#include "platform/ftdi/D2xx.h"
#include "platform/ftdi/D2xxLibraryBackend_win.h"
#include "platform/ftdi/tests/FakeLineClock.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

namespace quarnel::ftdi {
namespace {

const std::wstring kFakeLibrary = platform::WideFromUtf8(QUARNEL_FAKE_D2XX_LIBRARY);

// The stand-in's controls, from the same loaded copy the back end uses.
class FakeLibrary {
 public:
  FakeLibrary() : module_(LoadLibraryW(kFakeLibrary.c_str())) {
    if (module_ == nullptr) return;
    set_up_ = reinterpret_cast<SetUpCall>(
        reinterpret_cast<void*>(GetProcAddress(module_, "FakeD2xxSetUp")));
    log_ =
        reinterpret_cast<LogCall>(reinterpret_cast<void*>(GetProcAddress(module_, "FakeD2xxLog")));
  }
  ~FakeLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  bool Ok() const { return set_up_ != nullptr && log_ != nullptr; }

  void SetUp(const char* serials, const char* failing_call = "", ULONG status = 0) {
    set_up_(serials, failing_call, status);
  }
  std::vector<std::string> Log() {
    std::string text(log_(nullptr, 0) + 1, '\0');
    log_(text.data(), static_cast<DWORD>(text.size()));
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

 private:
  using SetUpCall = void(WINAPI*)(const char*, const char*, ULONG);
  using LogCall = DWORD(WINAPI*)(char*, DWORD);
  HMODULE module_;
  SetUpCall set_up_ = nullptr;
  LogCall log_ = nullptr;
};

struct Layer {
  Layer() {
    HardwareBackend hardware = MakeD2xxLibraryBackend(kFakeLibrary);
    EXPECT_TRUE(hardware.backend) << hardware.error;
    d2xx = std::make_unique<D2xx>(std::move(hardware.backend), clock,
                                  [this](const std::string& line) { reports.push_back(line); });
  }
  FakeLineClock clock;
  std::vector<std::string> reports;
  std::unique_ptr<D2xx> d2xx;
};

TEST(D2xxLibraryBackendTest, DrivesTheLibraryAsTheDmxOutputDoes) {
  FakeLibrary fake;
  ASSERT_TRUE(fake.Ok());
  fake.SetUp("FT01,FT02");
  {
    Layer layer;
    D2xx& d2xx = *layer.d2xx;
    uint32_t count = 0;
    ASSERT_EQ(d2xx.FT_ListDevices(&count, nullptr, kFtListNumberOnly), kFtOk);
    EXPECT_EQ(count, 2u);
    std::array<char, 256> serial{}, description{};
    ASSERT_EQ(d2xx.FT_ListDevices(1, serial, kFtListByIndex | kFtOpenBySerialNumber), kFtOk);
    ASSERT_EQ(d2xx.FT_ListDevices(1, description, kFtListByIndex | kFtOpenByDescription), kFtOk);
    EXPECT_EQ(std::string(serial.data()), "FT02");
    EXPECT_EQ(std::string(description.data()), "FAKE D2XX FT02");

    FT_HANDLE h = 0;
    ASSERT_EQ(d2xx.FT_Open(1, &h), kFtOk);
    EXPECT_EQ(d2xx.FT_ResetDevice(h), kFtOk);
    EXPECT_EQ(d2xx.FT_SetDivisor(h, 12), kFtOk);
    EXPECT_EQ(d2xx.FT_SetDataCharacteristics(h, kFtBits8, kFtStopBits2, kFtParityNone), kFtOk);
    EXPECT_EQ(d2xx.FT_SetFlowControl(h, kFtFlowNone, 0, 0), kFtOk);
    EXPECT_EQ(d2xx.FT_ClrRts(h), kFtOk);
    EXPECT_EQ(d2xx.FT_Purge(h, kFtPurgeTx), kFtOk);
    EXPECT_EQ(d2xx.FT_Purge(h, kFtPurgeRx | kFtPurgeTx), kFtOk);
    std::vector<uint8_t> slots(512, 7);
    slots.back() = 9;
    const uint8_t start = 0;
    uint32_t written = 0;
    EXPECT_EQ(d2xx.FT_SetBreakOn(h), kFtOk);
    EXPECT_EQ(d2xx.FT_SetBreakOff(h), kFtOk);
    EXPECT_EQ(d2xx.FT_Write(h, &start, 1, &written), kFtOk);
    EXPECT_EQ(d2xx.FT_Write(h, slots.data(), 512, &written), kFtOk);
    EXPECT_EQ(written, 512u);
    EXPECT_EQ(d2xx.FT_Close(h), kFtOk);
    EXPECT_TRUE(layer.reports.empty());
  }
  const std::vector<std::string> expected = {
      "FT_Open 1",
      "FT_ResetDevice FT02",
      "FT_SetDivisor FT02 12",
      "FT_SetDataCharacteristics FT02 8 2 0",
      "FT_SetFlowControl FT02 0 0 0",
      "FT_ClrRts FT02",
      "FT_Purge FT02 2",
      "FT_Purge FT02 2",  // both buffers: the transmit buffer first
      "FT_Purge FT02 1",
      "FT_SetBreakOn FT02",
      "FT_SetBreakOff FT02",
      "FT_Write FT02 1 0 0",
      "FT_Write FT02 512 7 9",
      "FT_Close FT02",
  };
  EXPECT_EQ(fake.Log(), expected);
}

TEST(D2xxLibraryBackendTest, FailingCallsComeBackAsTheirStatusAndAreExplainedOnce) {
  struct Case {
    const char* failing_call;
    ULONG status;
    FT_STATUS open;      // what FT_Open gives
    FT_STATUS write;     // what FT_Write gives once open
    const char* report;  // part of the one line reported; "" for none
  };
  const Case cases[] = {
      {"FT_Open", kFtDeviceNotFound, kFtDeviceNotFound, kFtInvalidHandle, ""},
      {"FT_Open", kFtDeviceNotOpened, kFtDeviceNotOpened, kFtInvalidHandle,
       "it is in use (FT_Open failed (status 3, device not opened)). Another program"},
      {"FT_Open", kFtIoError, kFtIoError, kFtInvalidHandle,
       "FT_Open failed (status 4, I/O error). Re-plug"},
      {"FT_Write", kFtIoError, kFtOk, kFtIoError, ""},
      {"FT_Write", kFtInvalidParameter, kFtOk, kFtInvalidParameter, ""},
      {"FT_ListDevices", kFtIoError, kFtIoError, kFtInvalidHandle, ""},
  };
  FakeLibrary fake;
  ASSERT_TRUE(fake.Ok());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.failing_call) + " " + std::to_string(c.status));
    fake.SetUp("FT01", c.failing_call, c.status);
    Layer layer;
    FT_HANDLE h = 0;
    EXPECT_EQ(layer.d2xx->FT_Open(0, &h), c.open);
    const uint8_t start = 0;
    uint32_t written = 0;
    EXPECT_EQ(layer.d2xx->FT_Write(h, &start, 1, &written), c.write);
    if (*c.report == '\0') {
      EXPECT_TRUE(layer.reports.empty()) << layer.reports.front();
    } else {
      ASSERT_EQ(layer.reports.size(), 1u);
      EXPECT_NE(layer.reports[0].find(c.report), std::string::npos) << layer.reports[0];
    }
  }
}

TEST(D2xxLibraryBackendTest, AMissingOrWrongLibraryIsNamedAndLeavesNoDevice) {
  HardwareBackend missing = MakeD2xxLibraryBackend(L"QuarnelNoSuchDriver.dll");
  EXPECT_FALSE(missing.backend);
  EXPECT_NE(missing.error.find("cannot load QuarnelNoSuchDriver.dll, the D2XX driver library"),
            std::string::npos)
      << missing.error;
  EXPECT_NE(missing.error.find("install the driver"), std::string::npos) << missing.error;

  HardwareBackend wrong = MakeD2xxLibraryBackend(L"kernel32.dll");
  EXPECT_FALSE(wrong.backend);
  EXPECT_NE(wrong.error.find("kernel32.dll has no FT_ListDevices"), std::string::npos)
      << wrong.error;

  // Without the vendor's library on this machine, a program on real hardware says so.
  if (HMODULE vendor = LoadLibraryW(D2xxLibrary::kFileName)) {
    FreeLibrary(vendor);
    GTEST_SKIP() << "the vendor's library is installed here";
  }
  FakeLineClock clock;
  std::vector<std::string> reports;
  std::unique_ptr<FtdiBackend> backend = MakeBackend(
      FtdiEnvironment{}, clock, [&](const std::string& line) { reports.push_back(line); });
  ASSERT_TRUE(backend);
  EXPECT_TRUE(backend->List().devices.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("cannot load FTD2XX.DLL"), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("Running without DMX output."), std::string::npos) << reports[0];
}

}  // namespace
}  // namespace quarnel::ftdi
