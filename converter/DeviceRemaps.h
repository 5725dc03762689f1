// modDeviceRemaps: which DMX device each source device drives, kept in device_remap_nd.dat.
//
// The table holds one 32-bit entry per source (network 0..32, device 0..240): 0 is not
// assigned, 1 to 255 a DMX device, 256 and more the upper half (channels moved up by 8) of
// DMX device (value AND 255). The file is exactly the table's 31 812 bytes, little-endian,
// entry (n, d) at byte (d * 33 + n) * 4. Devices are handed out 1, 2, 3 ... the first time
// a source device is met, numbering on after the highest device already in the table, and
// two consecutive half-size devices share one DMX device. The table file is written over
// after each new entry, so entries made by a conversion that fails half-way stay.
//
// One object lives for the whole program run (the numbering state is not reset between
// conversions); the device lines of the Device Report are rebuilt at every load.
#pragma once

#include "converter/RgbData.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::converter {

// What a channel needs of the table: the source devices to assign and the element
// addresses to remap.
struct ChannelPlan {
  RgbData assign;    // devices handed to AssignDevices
  RgbData elements;  // source addresses of the channel's elements
  bool half = false;
};

// The plan for a source channel; nullopt when one of its addresses lies outside the table
// (network above 32, device above 240, or negative).
std::optional<ChannelPlan> PlanChannel(const SourceChannel& source);

class DeviceRemaps {
 public:
  static constexpr int32_t kNetworks = 33;                                // networks 0..32
  static constexpr int32_t kDevices = 241;                                // devices 0..240
  static constexpr size_t kFileBytes = size_t{kNetworks} * kDevices * 4;  // 31 812
  static constexpr char kFileName[] = "device_remap_nd.dat";
  static constexpr int32_t kDmxNetwork = 32;
  static constexpr int32_t kUpperHalf = 256;
  static constexpr int32_t kHalfOffset = 8;
  static constexpr int32_t kLastDmxDevice = 255;

  // The table kept in `table_file`; empty until LoadRemapTable.
  explicit DeviceRemaps(std::filesystem::path table_file);

  // LoadRemapTable: reads the file (a missing file is an empty table; a shorter one fills
  // what it holds) and rebuilds the device lines. Raises 75 when the file cannot be read.
  void LoadRemapTable();
  // AssignDevices: gives DMX devices to the source devices of `rgb` that have none; the
  // half flag pairs half-size devices. Raises 75 when the table cannot be saved and
  // ConversionError when no DMX device number is left.
  void AssignDevices(const RgbData& rgb, bool half);
  // RemapAddresses: the source addresses of `rgb` as DMX addresses on Network 32.
  // REQUIRES: every device of rgb lies in the table.
  void RemapAddresses(RgbData& rgb) const;

  int32_t Entry(int32_t network, int32_t device) const;
  static bool InTable(int64_t network, int64_t device);
  const std::vector<std::string>& DeviceLines() const { return device_lines_; }
  int32_t NextDevice() const { return next_device_; }
  const std::filesystem::path& TableFile() const { return table_file_; }

 private:
  static size_t Index(int32_t network, int32_t device) {
    return static_cast<size_t>(device) * kNetworks + static_cast<size_t>(network);
  }
  void Assign(int32_t network, int32_t device);
  void SaveRemapTable() const;

  std::filesystem::path table_file_;
  std::array<int32_t, size_t{kNetworks} * kDevices> table_{};
  std::vector<std::string> device_lines_;
  int32_t next_device_ = 0;
  bool half_pending_ = false;
  int32_t pending_device_ = 0;
};

}  // namespace quarnel::converter
