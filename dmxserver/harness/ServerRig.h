// One QuarnelOpenDMX under test on simulated interfaces, in this process's network: the
// process, its capture, and a sender to its ports. For the end-to-end tests and the
// benchmark.
#pragma once

#include "dmxserver/harness/Capture.h"
#include "dmxserver/harness/ServerProcess.h"
#include "tools/dmxsend/Datagrams.h"
#include "tools/dmxsend/UdpSender.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::dmx::harness {

struct RigOptions {
  std::string program;             // path of QuarnelOpenDMX
  std::string work_prefix;         // files: <prefix>.capture, <prefix>.out, <prefix>.err
  std::string devices = "sim:S1";  // QUARNEL_FTDI
  std::vector<std::string> args;   // the command line
  bool fast = true;                // QUARNEL_FTDI_SIM_FAST=1
};

class ServerRig {
 public:
  using Ms = std::chrono::milliseconds;

  explicit ServerRig(RigOptions options);

  // Waits until the server says it listens (start-up comes 1000 ms after it loads).
  bool WaitReady(Ms timeout = Ms(5000));
  ServerProcess& Process() { return *process_; }
  const std::string& CapturePath() const { return capture_path_; }

  // Sending.
  bool SendData(const std::vector<uint8_t>& datagram);
  // Sends the 28-byte shut-down datagram until the server ends (within `timeout`) and
  // returns its exit code. Repeated, in case the server is not reading yet.
  std::optional<int> ShutDownByDatagram(uint8_t fill, Ms timeout = Ms(3000));
  bool SendTest(const std::vector<uint8_t>& datagram);
  bool SendFrame(const dmxsend::Levels& levels) { return SendData(dmxsend::FrameDatagram(levels)); }

  // The capture so far: every call, and the frames on the wire.
  const std::vector<CaptureCall>& Calls();
  std::vector<WireFrame> Frames(int* malformed = nullptr);

  // Waits for a frame, newer than the first `after` frames, whose slots satisfy `match`.
  std::optional<WireFrame> WaitForFrame(const std::function<bool(const dmxsend::Levels&)>& match,
                                        size_t after = 0, Ms timeout = Ms(3000));
  // Sends `levels` every 30 ms until a frame carrying them (or `expected`) is on the wire.
  std::optional<WireFrame> SendUntilSeen(const dmxsend::Levels& levels, Ms timeout = Ms(3000));
  std::optional<WireFrame> SendUntilSeen(const dmxsend::Levels& levels,
                                         const dmxsend::Levels& expected, Ms timeout = Ms(3000));

 private:
  std::string capture_path_;
  std::unique_ptr<ServerProcess> process_;
  std::unique_ptr<dmxsend::UdpSender> sender_;
  CaptureFollower follower_;
};

}  // namespace quarnel::dmx::harness
