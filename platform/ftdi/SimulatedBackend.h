// Simulated FTDI devices, for tests and for running without hardware. The devices are
// given by serial number; every call made on one is appended to the capture file (if
// any, CaptureWriter.h), and a write takes the time its bytes need on the line at the
// baud rate set, unless line timing is off.
//
// The simulated line also notes what real hardware would get wrong: a break asserted
// while bytes are still leaving the transmitter cuts that frame short
// (FramesCutByBreak). Tests can unplug and re-plug a device and make opening fail.
//
// The back end owns the devices; a port refers to its device and must not outlive the
// back end (the D2XX layer closes its ports first).
#pragma once

#include "platform/ftdi/CaptureWriter.h"
#include "platform/ftdi/FtdiBackend.h"
#include "platform/ftdi/LineClock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quarnel::ftdi {

struct SimulatedOptions {
  // Writes take the line time of their bytes; off: they return at once.
  bool line_timing = true;
  // Bytes a write leaves queued in the chip when it returns (real chips: about 128).
  uint32_t fifo_bytes = 0;
};

class SimulatedBackend : public FtdiBackend {
 public:
  // `capture` may be null: then nothing is recorded.
  SimulatedBackend(const std::vector<std::string>& serials, LineClock& clock,
                   std::unique_ptr<CaptureWriter> capture, SimulatedOptions options = {});
  ~SimulatedBackend() override;

  FtdiList List() override;
  FtdiOpen Open(const FtdiDeviceInfo& device, uint32_t index) override;

  // Test controls.
  void Unplug(const std::string& serial);
  void Plug(const std::string& serial);
  void FailOpen(const std::string& serial, FtdiOutcome outcome, std::string text);

  // Returns once every call so far is in the capture file.
  void FlushCapture() {
    if (capture_) capture_->Flush();
  }

  // Frames whose last bytes were still on the line when a break began.
  int FramesCutByBreak() const { return frames_cut_by_break_; }

  struct Device;  // one simulated device (public for the port, defined in the .cc)

 private:
  friend class SimulatedPort;
  LineClock& clock_;
  std::unique_ptr<CaptureWriter> capture_;
  SimulatedOptions options_;
  std::vector<std::unique_ptr<Device>> devices_;
  int frames_cut_by_break_ = 0;
};

}  // namespace quarnel::ftdi
