#include "dmxserver/harness/ServerRig.h"

#include <cstdio>
#include <thread>

namespace quarnel::dmx::harness {

ServerRig::ServerRig(RigOptions options)
    : capture_path_(options.work_prefix + ".capture"), follower_(capture_path_) {
  std::remove(capture_path_.c_str());
  ProcessOptions p;
  p.program = options.program;
  p.args = options.args;
  p.output_prefix = options.work_prefix;
  // Many servers under test at a real-time priority would take turns of 100 ms each.
  p.env = {{"QUARNEL_FTDI", options.devices},
           {"QUARNEL_FTDI_CAPTURE", capture_path_},
           {"QUARNEL_PRIORITY", "normal"}};
  if (options.fast) p.env.emplace_back("QUARNEL_FTDI_SIM_FAST", "1");
  process_ = std::make_unique<ServerProcess>(std::move(p));
  std::string error;
  const std::string address = dmxsend::PrimaryAddress(error);
  sender_ = std::make_unique<dmxsend::UdpSender>(address.empty() ? "127.0.0.1" : address);
}

bool ServerRig::WaitReady(Ms timeout) {
  return process_->Started() && process_->WaitForOutput("Listening on", timeout);
}

bool ServerRig::SendData(const std::vector<uint8_t>& datagram) {
  return sender_->Send(dmxsend::kDataPort, datagram);
}

bool ServerRig::SendTest(const std::vector<uint8_t>& datagram) {
  return sender_->Send(dmxsend::kDiagnosticsPort, datagram);
}

const std::vector<CaptureCall>& ServerRig::Calls() {
  follower_.Poll();
  return follower_.All();
}

std::vector<WireFrame> ServerRig::Frames(int* malformed) { return FramesOf(Calls(), malformed); }

std::optional<WireFrame> ServerRig::WaitForFrame(
    const std::function<bool(const dmxsend::Levels&)>& match, size_t after, Ms timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    const std::vector<WireFrame> frames = Frames();
    for (size_t i = after; i < frames.size(); ++i) {
      if (match(frames[i].slots)) return frames[i];
    }
    std::this_thread::sleep_for(Ms(5));
  }
  return std::nullopt;
}

std::optional<int> ServerRig::ShutDownByDatagram(uint8_t fill, Ms timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  std::optional<int> exit;
  while (!exit && std::chrono::steady_clock::now() < end) {
    SendData(std::vector<uint8_t>(28, fill));
    exit = Process().WaitExit(Ms(200));
  }
  return exit;
}

std::optional<WireFrame> ServerRig::SendUntilSeen(const dmxsend::Levels& levels, Ms timeout) {
  return SendUntilSeen(levels, levels, timeout);
}

std::optional<WireFrame> ServerRig::SendUntilSeen(const dmxsend::Levels& levels,
                                                  const dmxsend::Levels& expected, Ms timeout) {
  const size_t before = Frames().size();
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    SendFrame(levels);
    if (auto f =
            WaitForFrame([&](const dmxsend::Levels& s) { return s == expected; }, before, Ms(30))) {
      return f;
    }
  }
  return std::nullopt;
}

}  // namespace quarnel::dmx::harness
