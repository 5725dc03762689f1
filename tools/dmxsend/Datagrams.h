// The datagrams the DMX output server understands, built for sending, and channel levels
// as people write them on a command line.
//
//   frame     513 bytes to UDP 15005: byte 0 unused (0), bytes 1..512 channels 1..512
//   test      4 bytes to UDP 15006: the channel as a 32-bit little-endian integer; 0 ends
//   shut-down 28 bytes to UDP 15005 (content not read; zeros)
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dmxsend {

inline constexpr uint16_t kDataPort = 15005;
inline constexpr uint16_t kDiagnosticsPort = 15006;
inline constexpr size_t kFrameDatagramSize = 513;
inline constexpr size_t kShutdownDatagramSize = 28;
inline constexpr size_t kTestDatagramSize = 4;

using Levels = std::array<uint8_t, 512>;  // channel n at index n - 1

std::vector<uint8_t> FrameDatagram(const Levels& levels);
std::vector<uint8_t> TestDatagram(int32_t channel);
std::vector<uint8_t> ShutdownDatagram();

// Applies settings such as "1=255", "10-20=128" or "all=0" in order to `levels`.
// Channels run from 1 to 512, levels from 0 to 255. Returns false and says why in
// `error` for the first setting that is not of that form.
bool ApplyLevel(std::string_view setting, Levels& levels, std::string& error);

}  // namespace quarnel::dmxsend
