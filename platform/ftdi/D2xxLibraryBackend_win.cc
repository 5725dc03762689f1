#include "platform/ftdi/D2xxLibraryBackend_win.h"

#include <array>
#include <cstdint>

namespace quarnel::ftdi {

namespace {

using VendorHandle = D2xxLibrary::VendorHandle;

// The outcome of a call on an open device. A handle the library no longer knows, or a
// device it no longer finds, means the interface went away.
FtdiResult PortResult(const char* call, FT_STATUS status) {
  if (status == kFtOk) return FtdiResult::Ok();
  FtdiOutcome outcome = FtdiOutcome::kIoError;
  switch (status) {
    case kFtInvalidHandle:
    case kFtDeviceNotFound:
    case kFtDeviceNotOpened:
      outcome = FtdiOutcome::kGone;
      break;
    case kFtInvalidParameter:
    case kFtInvalidBaudRate:
      outcome = FtdiOutcome::kInvalid;
      break;
  }
  return FtdiResult::Fail(outcome, std::string(call) + " failed (" + D2xxStatusText(status) + ")");
}

// A text the library writes into a buffer of ours, cut at its first NUL.
std::string TextOf(const std::array<char, 256>& buffer) {
  size_t n = 0;
  while (n < buffer.size() && buffer[n] != '\0') ++n;
  return std::string(buffer.data(), n);
}

class D2xxLibraryPort : public FtdiPort {
 public:
  D2xxLibraryPort(std::shared_ptr<const D2xxLibrary> library, VendorHandle handle)
      : d2xx_(std::move(library)), h_(handle) {}
  ~D2xxLibraryPort() override { d2xx_->FT_Close(h_); }

  FtdiResult Reset() override { return PortResult("FT_ResetDevice", d2xx_->FT_ResetDevice(h_)); }

  FtdiResult SetDivisor(uint16_t divisor) override {
    return PortResult("FT_SetDivisor", d2xx_->FT_SetDivisor(h_, divisor));
  }

  FtdiResult SetDataCharacteristics(const LineSettings& line) override {
    return PortResult("FT_SetDataCharacteristics",
                      d2xx_->FT_SetDataCharacteristics(h_, line.bits, line.stop_bits, line.parity));
  }

  FtdiResult SetFlowControl(uint16_t flow, uint8_t xon, uint8_t xoff) override {
    return PortResult("FT_SetFlowControl", d2xx_->FT_SetFlowControl(h_, flow, xon, xoff));
  }

  FtdiResult ClearRts() override { return PortResult("FT_ClrRts", d2xx_->FT_ClrRts(h_)); }

  FtdiResult Purge(uint32_t mask) override {
    // The transmit buffer first, then the receive buffer, each on its own.
    for (const uint32_t one : {kFtPurgeTx, kFtPurgeRx}) {
      if ((mask & one) == 0) continue;
      if (FtdiResult r = PortResult("FT_Purge", d2xx_->FT_Purge(h_, one)); !r.ok()) return r;
    }
    return FtdiResult::Ok();
  }

  FtdiResult SetBreak(bool on, const LineSettings&) override {
    // The library keeps the line's settings with the break itself.
    return on ? PortResult("FT_SetBreakOn", d2xx_->FT_SetBreakOn(h_))
              : PortResult("FT_SetBreakOff", d2xx_->FT_SetBreakOff(h_));
  }

  FtdiResult Write(std::span<const uint8_t> bytes) override {
    DWORD written = 0;
    const FT_STATUS status = d2xx_->FT_Write(h_, const_cast<uint8_t*>(bytes.data()),
                                             static_cast<DWORD>(bytes.size()), &written);
    if (status != kFtOk) return PortResult("FT_Write", status);
    if (written != bytes.size()) {
      return FtdiResult::Fail(FtdiOutcome::kIoError, "FT_Write took " + std::to_string(written) +
                                                         " of " + std::to_string(bytes.size()) +
                                                         " bytes");
    }
    return FtdiResult::Ok();
  }

  // The library's calls used here cannot tell; the layer then waits out the frame's time.
  std::optional<bool> TransmitterEmpty() override { return std::nullopt; }

  // A device that went away says so in the status of the failing call itself.
  bool Probe() override { return true; }

 private:
  std::shared_ptr<const D2xxLibrary> d2xx_;
  VendorHandle h_;
};

}  // namespace

FtdiList D2xxLibraryBackend::List() {
  FtdiList result;
  DWORD count = 0;
  const FT_STATUS status = library_->FT_ListDevices(&count, nullptr, kFtListNumberOnly);
  if (status != kFtOk) {
    result.status = FtdiResult::Fail(FtdiOutcome::kIoError,
                                     "FT_ListDevices failed (" + D2xxStatusText(status) + ")");
    return result;
  }
  for (DWORD i = 0; i < count; ++i) {
    std::array<char, 256> serial{};
    std::array<char, 256> description{};
    void* index = reinterpret_cast<void*>(static_cast<uintptr_t>(i));
    if (library_->FT_ListDevices(index, serial.data(), kFtListByIndex | kFtOpenBySerialNumber) !=
        kFtOk) {
      serial.fill('\0');
    }
    if (library_->FT_ListDevices(index, description.data(),
                                 kFtListByIndex | kFtOpenByDescription) != kFtOk) {
      description.fill('\0');
    }
    serial.back() = '\0';
    description.back() = '\0';
    result.devices.push_back({TextOf(serial), TextOf(description), "d2xx:" + std::to_string(i)});
  }
  return result;
}

FtdiOpen D2xxLibraryBackend::Open(const FtdiDeviceInfo&, uint32_t index) {
  FtdiOpen result;
  VendorHandle handle = nullptr;
  const FT_STATUS status = library_->FT_Open(static_cast<int>(index), &handle);
  if (status == kFtOk) {
    result.port = std::make_unique<D2xxLibraryPort>(library_, handle);
    return result;
  }
  const std::string why = "FT_Open failed (" + D2xxStatusText(status) + ")";
  switch (status) {
    case kFtDeviceNotFound:
      result.status = FtdiResult::Fail(FtdiOutcome::kNotFound, why);
      break;
    case kFtDeviceNotOpened:
      // The driver has the device but will not give it: another program holds it.
      result.status = FtdiResult::Fail(FtdiOutcome::kBusy, "it is in use (" + why + ")");
      break;
    default:
      result.status = FtdiResult::Fail(FtdiOutcome::kIoError, why);
      break;
  }
  return result;
}

HardwareBackend MakeD2xxLibraryBackend(const std::wstring& file) {
  HardwareBackend result;
  std::shared_ptr<const D2xxLibrary> library = D2xxLibrary::Load(file, &result.error);
  if (library) result.backend = std::make_unique<D2xxLibraryBackend>(std::move(library));
  return result;
}

}  // namespace quarnel::ftdi
