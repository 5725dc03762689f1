#include "bench/OlaDaemon.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <pwd.h>
#include <unistd.h>

namespace quarnel::bench {

namespace {

constexpr char kOlad[] = "/usr/bin/olad";
constexpr char kSetpriv[] = "/usr/bin/setpriv";
constexpr char kOlaUser[] = "olad";

// Every plugin of OLA 0.10; one left out would start with its own defaults.
constexpr const char* kQuietPlugins[] = {"dummy",      "e131",     "espnet",
                                         "gpio",       "karate",   "kinet",
                                         "milinst",    "opendmx",  "openpixelcontrol",
                                         "osc",        "pathport", "renard",
                                         "sandnet",    "shownet",  "spi",
                                         "stageprofi", "uartdmx",  "usbdmx",
                                         "usbserial"};

bool WriteFile(const std::filesystem::path& path, const std::string& text, std::string* why) {
  std::ofstream out(path, std::ios::trunc);
  out << text;
  if (out.good()) return true;
  if (why) *why = "cannot write " + path.string() + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool OlaInstalled(std::string* why) {
  if (::access(kOlad, X_OK) != 0 || ::access(kSetpriv, X_OK) != 0) {
    if (why) *why = std::string(kOlad) + " is not there";
    return false;
  }
  if (::getpwnam(kOlaUser) == nullptr) {
    if (why) *why = std::string("there is no user ") + kOlaUser;
    return false;
  }
  return true;
}

bool WriteOlaConfiguration(const std::string& folder, std::string* why) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  // The daemon writes its settings back into the folder as its own user.
  fs::permissions(folder, fs::perms::all, ec);
  if (ec) {
    if (why) *why = "cannot make " + folder + ": " + ec.message();
    return false;
  }
  const fs::path dir(folder);
  for (const char* plugin : kQuietPlugins) {
    if (!WriteFile(dir / ("ola-" + std::string(plugin) + ".conf"), "enabled = false\n", why)) {
      return false;
    }
  }
  return WriteFile(dir / "ola-ftdidmx.conf", "enabled = true\nfrequency = 44\n", why) &&
         WriteFile(dir / "ola-artnet.conf", "enabled = true\nuse_loopback = true\n", why) &&
         // Art-Net input port 0 (universe 0:0:1) and the FTDI output into universe 1.
         WriteFile(dir / "ola-port.conf", "2-1-I-0 = 1\n13-BENCH1-O-1 = 1\n", why);
}

dmx::harness::ProcessOptions OlaProcess(const std::string& folder, const std::string& output_prefix,
                                        std::vector<std::pair<std::string, std::string>> env) {
  dmx::harness::ProcessOptions p;
  p.program = kSetpriv;
  p.args = {"--reuid=" + std::string(kOlaUser),
            "--regid=" + std::string(kOlaUser),
            "--clear-groups",
            kOlad,
            "-c",
            folder,
            "--no-http",
            "-l",
            "2"};
  p.output_prefix = output_prefix;
  p.env = std::move(env);
  return p;
}

std::vector<uint8_t> ArtDmxPacket(const dmxsend::Levels& levels) {
  static constexpr uint8_t kHeader[] = {'A',  'r',  't', '-',
                                        'N',  'e',  't', 0,  // the packet's mark
                                        0x00, 0x50,          // OpDmx, little-endian
                                        0,    14,            // protocol version 14
                                        0,    0,             // sequence (not used), physical port
                                        1,    0,      // port address: sub-net and universe 1, net 0
                                        0x02, 0x00};  // 512 slots, big-endian
  std::vector<uint8_t> packet(sizeof kHeader + levels.size());
  std::copy(std::begin(kHeader), std::end(kHeader), packet.begin());
  std::copy(levels.begin(), levels.end(), packet.begin() + sizeof kHeader);
  return packet;
}

}  // namespace quarnel::bench
