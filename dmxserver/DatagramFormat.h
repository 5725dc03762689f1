// The datagrams the DMX output server takes, on two UDP ports of the machine it runs on.
// The server reads them, the web server sends channel tests, dmxsend and the test
// harnesses send all three; every port number and size lives here and nowhere else.
//
//   frame      kFrameDatagramSize (513) bytes to kDataPort (15005). Byte 0 is not read;
//              bytes 1..512 are the levels of channels 1..512. A longer datagram does not
//              fit the server's read and is dropped; a shorter one is ignored.
//   shut-down  exactly kShutdownDatagramSize (28) bytes to kDataPort. The content is not
//              read; senders fill it with zeros. The server closes the interface and ends.
//   test       exactly kTestDatagramSize (4) bytes to kDiagnosticsPort (15006): the channel
//              to light at full, little-endian (byte 0 low, byte 1 high; senders write a
//              32-bit integer, the server reads the low 16 bits as a signed number, so a
//              byte 1 of 128 or more is ignored). 1 to kHighestTestChannel (511) lights
//              that channel; 0 ends the test.
//
// Datagrams of any other size on either port are ignored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quarnel::dmx {

// --- Ports
inline constexpr uint16_t kDataPort = 15005;         // frames and the shut-down datagram
inline constexpr uint16_t kDiagnosticsPort = 15006;  // channel tests

// --- Sizes
inline constexpr size_t kChannelCount = 512;                     // channels in a frame
inline constexpr size_t kFrameDatagramSize = 1 + kChannelCount;  // an unused byte, then levels
inline constexpr size_t kShutdownDatagramSize = 28;
inline constexpr size_t kTestDatagramSize = 4;

// The highest channel a test can light: the last channel (512) cannot be tested.
inline constexpr int32_t kHighestTestChannel = 511;

// The levels of one frame, channel n at index n - 1.
using Frame = std::array<uint8_t, kChannelCount>;

}  // namespace quarnel::dmx
