// clsRGBData: the addresses of one converted channel, and the channel's source.
//
// A single-colour channel has three equal address pairs and type_rgb false; an RGB channel
// has its red, green and blue elements. Before the remap the pairs hold source (Device,
// Channel) on `network`; after it they hold DMX (Device, Channel) on Network 32.
#pragma once

#include <cstdint>
#include <string>

namespace quarnel::converter {

struct RgbData {
  int32_t network = 0;
  int32_t r_device = 0;
  int32_t r_channel = 0;
  int32_t g_device = 0;
  int32_t g_channel = 0;
  int32_t b_device = 0;
  int32_t b_channel = 0;
  bool type_rgb = false;
  friend bool operator==(const RgbData&, const RgbData&) = default;
};

// What the channel pass reads of a source channel.
struct SourceChannel {
  int32_t network = 0;
  int32_t device = 0;
  int32_t channel = 0;
  int32_t device_type = 0;
  // Settings 16 to 19: green device, blue device, green channel, blue channel (type 12).
  int32_t green_device = 0;
  int32_t blue_device = 0;
  int32_t green_channel = 0;
  int32_t blue_channel = 0;
};

// Device types with a meaning for the conversion.
inline constexpr int32_t kPixelRgbType = 11;  // RGB pixels on consecutive outputs
inline constexpr int32_t kFreeRgbType = 12;   // RGB with free element addresses
inline bool IsRgbType(int32_t device_type) {
  return device_type == kPixelRgbType || device_type == kFreeRgbType;
}
// Half-size devices: two of them share one DMX device.
inline bool IsHalfSizeType(int32_t device_type) {
  return device_type == 2 || device_type == 5 || device_type == 9;
}

}  // namespace quarnel::converter
