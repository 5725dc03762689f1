// The datagrams the DMX output server understands (dmxserver/DatagramFormat.h), built for
// sending, and channel levels as people write them on a command line.
#pragma once

#include "dmxserver/DatagramFormat.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dmxsend {

using dmx::kDataPort;
using dmx::kDiagnosticsPort;

using Levels = dmx::Frame;  // channel n at index n - 1

// A frame: the unused byte 0, then the levels.
std::vector<uint8_t> FrameDatagram(const Levels& levels);
// A test: the channel as a 32-bit little-endian integer; 0 ends the test.
std::vector<uint8_t> TestDatagram(int32_t channel);
// The shut-down datagram, all zeros.
std::vector<uint8_t> ShutdownDatagram();

// Applies settings such as "1=255", "10-20=128" or "all=0" in order to `levels`.
// Channels run from 1 to 512, levels from 0 to 255. Returns false and says why in
// `error` for the first setting that is not of that form.
bool ApplyLevel(std::string_view setting, Levels& levels, std::string& error);

}  // namespace quarnel::dmxsend
