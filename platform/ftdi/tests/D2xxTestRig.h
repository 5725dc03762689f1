// A D2XX layer over simulated devices in virtual time, with its capture and its reports
// at hand, for the layer's tests.
#pragma once

#include "platform/ftdi/D2xx.h"
#include "platform/ftdi/SimulatedBackend.h"
#include "platform/ftdi/tests/CaptureLines.h"
#include "platform/ftdi/tests/FakeLineClock.h"

#include <memory>
#include <string>
#include <vector>

namespace quarnel::ftdi {

struct D2xxTestRig {
  explicit D2xxTestRig(const std::string& name, std::vector<std::string> serials,
                       SimulatedOptions options = {})
      : capture_path(TempCapturePath(name)) {
    auto backend = std::make_unique<SimulatedBackend>(
        serials, clock, std::make_unique<CaptureWriter>(capture_path, clock), options);
    sim = backend.get();
    d2xx = std::make_unique<D2xx>(std::move(backend), clock,
                                  [this](const std::string& line) { reports.push_back(line); });
  }

  // The capture so far (everything, once the layer is gone).
  std::vector<std::string> Capture() {
    if (d2xx) sim->FlushCapture();
    return CaptureTexts(capture_path);
  }
  std::vector<CapturedCall> Calls() {
    if (d2xx) sim->FlushCapture();
    return ReadCapture(capture_path);
  }

  // Opens the device at `index` and sets the line up as the DMX output does.
  FT_HANDLE OpenForDmx(int32_t index) {
    FT_HANDLE h = 0;
    EXPECT_EQ(d2xx->FT_Open(index, &h), kFtOk);
    EXPECT_EQ(d2xx->FT_ResetDevice(h), kFtOk);
    EXPECT_EQ(d2xx->FT_SetDivisor(h, 12), kFtOk);
    EXPECT_EQ(d2xx->FT_SetDataCharacteristics(h, kFtBits8, kFtStopBits2, kFtParityNone), kFtOk);
    EXPECT_EQ(d2xx->FT_SetFlowControl(h, kFtFlowNone, 0, 0), kFtOk);
    EXPECT_EQ(d2xx->FT_ClrRts(h), kFtOk);
    EXPECT_EQ(d2xx->FT_Purge(h, kFtPurgeTx), kFtOk);
    EXPECT_EQ(d2xx->FT_Purge(h, kFtPurgeRx), kFtOk);
    return h;
  }

  // One DMX frame as the output sends it; the statuses of the four calls.
  std::vector<FT_STATUS> SendFrame(FT_HANDLE h, uint8_t level = 0) {
    std::vector<uint8_t> slots(512, level);
    const uint8_t start = 0;
    uint32_t written = 0;
    return {d2xx->FT_SetBreakOn(h), d2xx->FT_SetBreakOff(h), d2xx->FT_Write(h, &start, 1, &written),
            d2xx->FT_Write(h, slots.data(), 512, &written)};
  }

  FakeLineClock clock;
  std::string capture_path;
  SimulatedBackend* sim = nullptr;
  std::vector<std::string> reports;
  std::unique_ptr<D2xx> d2xx;
};

}  // namespace quarnel::ftdi
