#include "dmxserver/OpenDMX.h"

#include <algorithm>

namespace quarnel::dmx {

using namespace quarnel::ftdi;

namespace {

constexpr size_t kTextBuffer = 256;
constexpr uint16_t kDmxDivisor = 12;  // 3 MHz / 12 = 250 000 bit/s

}  // namespace

OpenDMX::OpenDMX(D2xx& d2xx) : d2xx_(d2xx) {}

OpenDMX::~OpenDMX() { CloseDevice(); }

std::string OpenDMX::CleanText(std::span<const char> buffer) {
  std::string text;
  for (char c : buffer) {
    if (c != '\0') text += c;
  }
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

void OpenDMX::FindDevice(const std::string& serial) {
  target_serial_ = serial;
  uint32_t count = 0;
  if (d2xx_.FT_ListDevices(&count, nullptr, kFtListNumberOnly) != kFtOk) return;
  for (uint32_t index = 0; index < count; ++index) {
    std::array<char, kTextBuffer> description{};
    std::array<char, kTextBuffer> serial_text{};
    d2xx_.FT_ListDevices(index, description, kFtListByIndex | kFtOpenByDescription);
    const FT_STATUS got_serial =
        d2xx_.FT_ListDevices(index, serial_text, kFtListByIndex | kFtOpenBySerialNumber);
    // A serial number that could not be read matches nothing, not even an empty target,
    // so an empty command line still means the first device.
    if (got_serial != kFtOk) continue;
    const std::string found = CleanText(serial_text);
    if (!found.empty() && found == target_serial_) {
      device_index_ = static_cast<int32_t>(index);
      device_description_ = CleanText(description);
      return;
    }
  }
}

void OpenDMX::OpenDevice() {
  device_open_ = false;
  if (d2xx_.FT_Open(device_index_, &device_handle_) != kFtOk) return;
  const FT_HANDLE h = device_handle_;
  const bool ready =
      d2xx_.FT_ResetDevice(h) == kFtOk && d2xx_.FT_SetDivisor(h, kDmxDivisor) == kFtOk &&
      d2xx_.FT_SetDataCharacteristics(h, kFtBits8, kFtStopBits2, kFtParityNone) == kFtOk &&
      d2xx_.FT_SetFlowControl(h, kFtFlowNone, 0, 0) == kFtOk && d2xx_.FT_ClrRts(h) == kFtOk &&
      d2xx_.FT_Purge(h, kFtPurgeTx) == kFtOk && d2xx_.FT_Purge(h, kFtPurgeRx) == kFtOk;
  if (!ready) {
    d2xx_.FT_Close(h);
    device_handle_ = 0;
    return;
  }
  frame_buffer_.fill(0);
  bytes_written_ = 0;
  start_code_ = 0;
  device_open_ = true;
}

void OpenDMX::SetFrame(std::span<const uint8_t, kChannelCount> frame) {
  std::copy(frame.begin(), frame.end(), frame_buffer_.begin());
}

void OpenDMX::SendFrame() {
  if (!device_open_) return;
  d2xx_.FT_SetBreakOn(device_handle_);
  d2xx_.FT_SetBreakOff(device_handle_);
  d2xx_.FT_Write(device_handle_, &start_code_, 1, &bytes_written_);
  d2xx_.FT_Write(device_handle_, frame_buffer_.data(), kChannelCount, &bytes_written_);
}

void OpenDMX::CloseDevice() {
  if (!device_open_) return;
  d2xx_.FT_Close(device_handle_);
  device_handle_ = 0;
  device_open_ = false;
}

}  // namespace quarnel::dmx
