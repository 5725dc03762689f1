// The seam under the D2XX layer: one back end lists the attached FTDI devices and opens
// them; an open device is an FtdiPort. Two back ends exist, chosen at run time
// (BackendFactory.h): real hardware through libftdi1, and simulated devices that write
// what they are asked to do into a capture file.
//
// A back end reports every call as an FtdiResult (what kind of outcome, plus a text for
// people), whatever its own convention; the D2XX layer turns that into FT_STATUS.
// Ports are owned by their holder; destroying a port closes the device.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnel::ftdi {

enum class FtdiOutcome {
  kOk,
  kNotFound,      // no such device attached
  kNoPermission,  // the device is there, but this user may not use it
  kBusy,          // the device is there, but another program holds it
  kIoError,       // a request to the device failed
  kGone,          // the device was unplugged
  kInvalid,       // the request itself was wrong (bad value)
};

struct FtdiResult {
  FtdiOutcome outcome = FtdiOutcome::kOk;
  std::string text;  // empty when kOk

  bool ok() const { return outcome == FtdiOutcome::kOk; }
  static FtdiResult Ok() { return {}; }
  static FtdiResult Fail(FtdiOutcome outcome, std::string text) {
    return {outcome, std::move(text)};
  }
};

// One attached device, as listed.
struct FtdiDeviceInfo {
  std::string serial;       // empty when it could not be read
  std::string description;  // the USB product string
  std::string locator;      // back end's own note of where the device sits, for opening it
};

// Word length, stop bits and parity, with the D2XX values (8 or 7; 0 = one stop bit,
// 2 = two; 0 none, 1 odd, 2 even, 3 mark, 4 space).
struct LineSettings {
  uint8_t bits = 8;
  uint8_t stop_bits = 0;
  uint8_t parity = 0;

  // Bits one byte takes on the line: start bit, data, parity, stop bits.
  uint32_t BitsPerByte() const {
    return 1u + bits + (parity != 0 ? 1u : 0u) + (stop_bits == 2 ? 2u : 1u);
  }
  bool operator==(const LineSettings&) const = default;
};

class FtdiPort {
 public:
  virtual ~FtdiPort() = default;  // closes the device

  virtual FtdiResult Reset() = 0;
  virtual FtdiResult SetDivisor(uint16_t divisor) = 0;
  virtual FtdiResult SetDataCharacteristics(const LineSettings& line) = 0;
  virtual FtdiResult SetFlowControl(uint16_t flow, uint8_t xon, uint8_t xoff) = 0;
  virtual FtdiResult ClearRts() = 0;
  virtual FtdiResult Purge(uint32_t mask) = 0;  // kFtPurgeTx is done before kFtPurgeRx
  // The break state. `line` is repeated with it: the device sets word length, stop
  // bits, parity and break in one request.
  virtual FtdiResult SetBreak(bool on, const LineSettings& line) = 0;
  // Returns once the device has accepted all the bytes, or fails as a whole.
  virtual FtdiResult Write(std::span<const uint8_t> bytes) = 0;
  // True when the last byte has left the transmitter; nullopt when the device cannot tell.
  virtual std::optional<bool> TransmitterEmpty() = 0;
  // True while the device still answers (used after a failure to tell unplug from hiccup).
  virtual bool Probe() = 0;
};

struct FtdiList {
  FtdiResult status;
  std::vector<FtdiDeviceInfo> devices;
};

struct FtdiOpen {
  FtdiResult status;
  std::unique_ptr<FtdiPort> port;  // set when status is ok
};

class FtdiBackend {
 public:
  virtual ~FtdiBackend() = default;

  // Every attached device, in a stable order.
  virtual FtdiList List() = 0;
  // Opens `device` (from the latest List), which was listed at `index`.
  virtual FtdiOpen Open(const FtdiDeviceInfo& device, uint32_t index) = 0;
};

}  // namespace quarnel::ftdi
