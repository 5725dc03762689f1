// OLA's daemon (olad), set up for the side-by-side benchmark against our DMX server: a
// configuration folder of its own in which only two plugins run, the FTDI DMX output at
// its highest frame rate (44 a second) and Art-Net on the loopback interface, with
// Art-Net universe 0:0:1 patched through universe 1 to the FTDI output. The daemon
// refuses to run as root, so it runs as the user the Debian package made for it.
//
// The package: apt-get install -y --no-install-recommends ola
#pragma once

#include "dmxserver/harness/ServerProcess.h"
#include "tools/dmxsend/Datagrams.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quarnel::bench {

constexpr double kOlaFramesPerSecond = 44;  // the FTDI DMX plugin's highest rate
constexpr uint16_t kArtNetPort = 6454;

// Whether olad and its user are there; `why` says what is missing.
bool OlaInstalled(std::string* why);

// Writes the configuration into `folder` (made if needed, open to the daemon's user);
// false and `why` when it cannot.
bool WriteOlaConfiguration(const std::string& folder, std::string* why);

// How to start the daemon on that configuration as its own user, with `env` on top.
dmx::harness::ProcessOptions OlaProcess(const std::string& folder, const std::string& output_prefix,
                                        std::vector<std::pair<std::string, std::string>> env);

// An ArtDmx packet carrying `levels` to Art-Net universe 0:0:1.
std::vector<uint8_t> ArtDmxPacket(const dmxsend::Levels& levels);

}  // namespace quarnel::bench
