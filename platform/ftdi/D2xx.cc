#include "platform/ftdi/D2xx.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quarnel::ftdi {

D2xx::D2xx(std::unique_ptr<FtdiBackend> backend, LineClock& clock, FtdiReporter report)
    : backend_(std::move(backend)), clock_(clock), report_(std::move(report)) {
  if (!report_) report_ = [](const std::string&) {};
}

D2xx::~D2xx() {
  // Close in handle order, so a simulated capture reads the same run after run.
  open_.clear();
}

FT_STATUS D2xx::StatusFor(const FtdiResult& result) {
  switch (result.outcome) {
    case FtdiOutcome::kOk:
      return kFtOk;
    case FtdiOutcome::kNotFound:
      return kFtDeviceNotFound;
    case FtdiOutcome::kNoPermission:
    case FtdiOutcome::kBusy:
      return kFtDeviceNotOpened;
    case FtdiOutcome::kIoError:
    case FtdiOutcome::kGone:
      return kFtIoError;
    case FtdiOutcome::kInvalid:
      return kFtInvalidParameter;
  }
  return kFtOtherError;
}

FT_STATUS D2xx::FT_ListDevices(uint32_t* count, std::nullptr_t, uint32_t flags) {
  if (count == nullptr || flags != kFtListNumberOnly) return kFtInvalidParameter;
  FtdiList list = backend_->List();
  if (!list.status.ok()) return StatusFor(list.status);
  listed_ = std::move(list.devices);
  listed_once_ = true;
  *count = static_cast<uint32_t>(listed_.size());
  return kFtOk;
}

FT_STATUS D2xx::FT_ListDevices(uint32_t index, std::span<char> text, uint32_t flags) {
  if (text.size() < kFtMinTextBuffer) return kFtInvalidParameter;
  std::fill(text.begin(), text.end(), '\0');
  const uint32_t what = flags & ~kFtListByIndex;
  if ((flags & kFtListByIndex) == 0 ||
      (what != kFtOpenBySerialNumber && what != kFtOpenByDescription)) {
    return kFtInvalidParameter;
  }
  if (!listed_once_) {
    uint32_t ignored = 0;
    if (FT_STATUS s = FT_ListDevices(&ignored, nullptr, kFtListNumberOnly); s != kFtOk) return s;
  }
  if (index >= listed_.size()) return kFtDeviceNotFound;
  const std::string& value =
      what == kFtOpenBySerialNumber ? listed_[index].serial : listed_[index].description;
  const size_t n = std::min(value.size(), text.size() - 1);
  std::memcpy(text.data(), value.data(), n);
  return kFtOk;
}

FT_STATUS D2xx::FT_Open(int32_t index, FT_HANDLE* handle) {
  if (handle == nullptr) return kFtInvalidParameter;
  *handle = 0;
  if (index < 0) return kFtDeviceNotFound;
  if (!listed_once_ || static_cast<uint32_t>(index) >= listed_.size()) {
    uint32_t ignored = 0;
    if (FT_STATUS s = FT_ListDevices(&ignored, nullptr, kFtListNumberOnly); s != kFtOk) return s;
  }
  const auto i = static_cast<uint32_t>(index);
  if (i >= listed_.size()) return kFtDeviceNotFound;
  FtdiOpen opened = backend_->Open(listed_[i], i);
  if (!opened.status.ok()) {
    ReportOpenFailure(listed_[i], opened.status);
    return StatusFor(opened.status);
  }
  const FT_HANDLE h = next_handle_++;
  open_.emplace(h, std::make_unique<DeviceSession>(*backend_, clock_, report_, listed_[i],
                                                   std::move(opened.port)));
  *handle = h;
  return kFtOk;
}

void D2xx::ReportOpenFailure(const FtdiDeviceInfo& device, const FtdiResult& result) {
  if (open_failure_reported_ || result.outcome == FtdiOutcome::kNotFound) return;
  open_failure_reported_ = true;
  std::string line = "cannot open the Open DMX USB interface ";
  line += device.serial.empty() ? device.description : device.serial;
  line += ": " + result.text + ". ";
  switch (result.outcome) {
    case FtdiOutcome::kNoPermission:
      line +=
          "Install the udev rule 99-quarnel-opendmx.rules (see the README, \"Attaching real "
          "hardware\"), add your user to the plugdev group, log in again and re-plug the "
          "interface.";
      break;
    case FtdiOutcome::kBusy:
      line += "Another program is using it; close that program and start this one again.";
      break;
    default:
      line += "Re-plug the interface or try another USB port.";
      break;
  }
  line += " Running without DMX output.";
  report_(line);
}

DeviceSession* D2xx::Find(FT_HANDLE handle) {
  auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.get();
}

FT_STATUS D2xx::FT_Close(FT_HANDLE handle) {
  return open_.erase(handle) == 1 ? kFtOk : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_ResetDevice(FT_HANDLE handle) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->Reset()) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_SetDivisor(FT_HANDLE handle, uint16_t divisor) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->SetDivisor(divisor)) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_SetDataCharacteristics(FT_HANDLE handle, uint8_t word_length, uint8_t stop_bits,
                                          uint8_t parity) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->SetDataCharacteristics({word_length, stop_bits, parity}))
           : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_SetFlowControl(FT_HANDLE handle, uint16_t flow_control, uint8_t xon,
                                  uint8_t xoff) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->SetFlowControl(flow_control, xon, xoff)) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_ClrRts(FT_HANDLE handle) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->ClearRts()) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_Purge(FT_HANDLE handle, uint32_t mask) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->Purge(mask)) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_SetBreakOn(FT_HANDLE handle) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->SetBreak(true)) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_SetBreakOff(FT_HANDLE handle) {
  DeviceSession* s = Find(handle);
  return s ? StatusFor(s->SetBreak(false)) : kFtInvalidHandle;
}

FT_STATUS D2xx::FT_Write(FT_HANDLE handle, const uint8_t* buffer, uint32_t count,
                         uint32_t* written) {
  if (written != nullptr) *written = 0;
  DeviceSession* s = Find(handle);
  if (s == nullptr) return kFtInvalidHandle;
  if (buffer == nullptr && count > 0) return kFtInvalidParameter;
  FtdiResult r = s->Write(std::span<const uint8_t>(buffer, count));
  if (r.ok() && written != nullptr) *written = count;
  return StatusFor(r);
}

}  // namespace quarnel::ftdi
