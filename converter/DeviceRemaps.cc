#include "converter/DeviceRemaps.h"

#include "converter/ConversionError.h"
#include "converter/Reports.h"
#include "platform/fs/FileErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace quarnel::converter {

namespace {

constexpr char kSource[] = "modDeviceRemaps";

// A (device, channel) pair as one of 16 channels: channel 17 of device d is channel 1 of
// device d + 1.
void Normalise(int64_t& device, int64_t& channel) {
  const int64_t k = (channel - 1) / 16;  // Int() of a non-negative ratio
  if (k > 0) {
    device += k;
    channel -= 16 * k;
  }
}

}  // namespace

std::optional<ChannelPlan> PlanChannel(const SourceChannel& s) {
  // Computed in 64 bits: the checks below must see the true addresses.
  const int64_t n = s.network, d = s.device, c = s.channel;
  int64_t devices[6] = {d, d, d, d, d, d};  // assigned r, g, b; element r, g, b
  int64_t channels[3] = {c, c, c};
  ChannelPlan plan;
  if (s.device_type == kPixelRgbType) {
    // Three outputs per pixel on consecutive devices; the next two devices are reserved.
    devices[1] = d + 1;
    devices[2] = d + 2;
    for (int i = 0; i < 3; ++i) {
      channels[i] = 3 * c - 2 + i;
      Normalise(devices[3 + i], channels[i]);
    }
  } else if (s.device_type == kFreeRgbType) {
    devices[1] = devices[4] = s.green_device;
    devices[2] = devices[5] = s.blue_device;
    channels[1] = s.green_channel;
    channels[2] = s.blue_channel;
  } else {
    plan.half = IsHalfSizeType(s.device_type);
  }
  for (int64_t device : devices) {
    if (!DeviceRemaps::InTable(n, device)) return std::nullopt;
  }
  const bool rgb = IsRgbType(s.device_type);
  auto i32 = [](int64_t v) { return static_cast<int32_t>(v); };
  plan.assign = {i32(n),           i32(devices[0]), i32(channels[0]), i32(devices[1]),
                 i32(channels[1]), i32(devices[2]), i32(channels[2]), rgb};
  // The channels of an element may lie outside 32 bits only for absurd pixel numbers; the
  // address then keeps the low bits, as the table cannot tell such channels apart anyway.
  plan.elements = {i32(n),           i32(devices[3]), i32(channels[0]), i32(devices[4]),
                   i32(channels[1]), i32(devices[5]), i32(channels[2]), rgb};
  return plan;
}

DeviceRemaps::DeviceRemaps(std::filesystem::path table_file) : table_file_(std::move(table_file)) {}

bool DeviceRemaps::InTable(int64_t network, int64_t device) {
  return network >= 0 && network < kNetworks && device >= 0 && device < kDevices;
}

int32_t DeviceRemaps::Entry(int32_t network, int32_t device) const {
  return InTable(network, device) ? table_[Index(network, device)] : 0;
}

void DeviceRemaps::LoadRemapTable() {
  device_lines_.clear();
  table_.fill(0);
  std::error_code ec;
  const auto status = std::filesystem::status(table_file_, ec);
  if (std::filesystem::exists(status)) {
    if (std::filesystem::is_directory(status)) {
      throw platform::FileAccessError(kSource, table_file_, "it is a folder");
    }
    // A shorter file fills what it holds; the rest of the table stays 0.
    unsigned char bytes[kFileBytes] = {};
    std::ifstream in(table_file_, std::ios::binary);
    if (!in) throw platform::FileAccessError(kSource, table_file_, std::strerror(errno));
    in.read(reinterpret_cast<char*>(bytes), kFileBytes);
    if (in.bad()) throw platform::FileAccessError(kSource, table_file_, "it could not be read");
    for (size_t i = 0; i < table_.size(); ++i) {
      const unsigned char* b = bytes + 4 * i;
      table_[i] = static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                                       uint32_t{b[3]} << 24);
    }
  }

  int32_t highest = 0;
  for (int32_t n = 1; n < kNetworks; ++n) {
    for (int32_t d = 1; d < kDevices; ++d) {
      const int32_t v = table_[Index(n, d)];
      if (v >= 1 && v <= kLastDmxDevice) {
        device_lines_.push_back(DeviceLine(n, d, v, 1));
      } else if (v >= kUpperHalf) {
        device_lines_.push_back(DeviceLine(n, d, v & 255, 1 + kHalfOffset));
      }
    }
  }
  for (int32_t v : table_) {
    if (v >= 1) highest = std::max(highest, v >= kUpperHalf ? v & 255 : v);
  }
  // Numbering goes on after the devices the table already uses, so that a later run never
  // hands out a DMX device that an older entry drives.
  next_device_ = std::max(next_device_, std::min(highest, kLastDmxDevice) + 1);
}

void DeviceRemaps::Assign(int32_t network, int32_t device) {
  if (next_device_ > kLastDmxDevice) {
    throw ConversionError("No DMX device is left for network " + std::to_string(network) +
                          " device " + std::to_string(device) + ": the table " +
                          table_file_.string() + " hands out DMX devices 1 to 255 only.");
  }
  table_[Index(network, device)] = next_device_;
  device_lines_.push_back(DeviceLine(network, device, next_device_, 1));
  ++next_device_;
  SaveRemapTable();
}

void DeviceRemaps::AssignDevices(const RgbData& rgb, bool half) {
  const int32_t n = rgb.network;
  if (n == 0) return;
  if (next_device_ == 0) next_device_ = 1;
  auto entry = [&](int32_t device) -> int32_t& { return table_[Index(n, device)]; };

  if (half) {
    const int32_t d = rgb.r_device;
    if (half_pending_) {
      if (entry(d) == 0) {
        entry(d) = pending_device_ + kUpperHalf;
        SaveRemapTable();
        device_lines_.push_back(DeviceLine(n, d, pending_device_, 1 + kHalfOffset));
        half_pending_ = false;
        return;
      }
    } else if (entry(d) == 0) {
      pending_device_ = next_device_;
      Assign(n, d);
      half_pending_ = true;
    }
  }
  if (entry(rgb.r_device) == 0) Assign(n, rgb.r_device);
  // A green element on the red device shares it; the blue element may still lie elsewhere.
  if (rgb.g_device != rgb.r_device && entry(rgb.g_device) == 0) Assign(n, rgb.g_device);
  if (entry(rgb.b_device) == 0) Assign(n, rgb.b_device);
}

void DeviceRemaps::RemapAddresses(RgbData& rgb) const {
  const int32_t n = rgb.network;
  rgb.r_device = Entry(n, rgb.r_device);
  rgb.g_device = Entry(n, rgb.g_device);
  rgb.b_device = Entry(n, rgb.b_device);
  rgb.network = kDmxNetwork;
  if (rgb.r_device & kUpperHalf) {
    // The upper half of a shared DMX device: every element of the channel moves there.
    rgb.r_device &= 255;
    rgb.r_channel += kHalfOffset;
    rgb.g_device = rgb.b_device = rgb.r_device;
    rgb.g_channel = rgb.b_channel = rgb.r_channel;
  }
}

void DeviceRemaps::SaveRemapTable() const {
  unsigned char bytes[kFileBytes];
  for (size_t i = 0; i < table_.size(); ++i) {
    const auto v = static_cast<uint32_t>(table_[i]);
    for (int k = 0; k < 4; ++k) bytes[4 * i + k] = static_cast<unsigned char>(v >> (8 * k));
  }
  // Written over the file in place: entries only ever go from 0 to a device, so a write cut
  // short leaves each entry either as it was or as it is now.
  std::fstream out(table_file_, std::ios::binary | std::ios::in | std::ios::out);
  if (!out) out.open(table_file_, std::ios::binary | std::ios::out);
  if (!out) throw platform::FileAccessError(kSource, table_file_, std::strerror(errno));
  out.write(reinterpret_cast<const char*>(bytes), kFileBytes);
  out.flush();
  if (!out) throw platform::FileAccessError(kSource, table_file_, std::strerror(errno));
}

}  // namespace quarnel::converter
