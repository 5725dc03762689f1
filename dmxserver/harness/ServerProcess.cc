#include "dmxserver/harness/ServerProcess.h"

#include <csignal>
#include <thread>

namespace quarnel::dmx::harness {

bool ServerProcess::Running() { return pid_ > 0 && !Reap(false); }

std::optional<int> ServerProcess::WaitExit(Duration timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (Running()) {
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return exit_;
}

std::optional<int> ServerProcess::Stop(Duration grace) {
  Signal(SIGTERM);
  if (auto code = WaitExit(grace)) return code;
  Kill();
  return WaitExit(Duration(5000));
}

std::string ServerProcess::Stdout() const { return ReadOutput(options_.output_prefix + ".out"); }
std::string ServerProcess::Stderr() const { return ReadOutput(options_.output_prefix + ".err"); }

bool ServerProcess::WaitForOutput(const std::string& text, Duration timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (Stdout().find(text) != std::string::npos) return true;
    if (!Running()) return Stdout().find(text) != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace quarnel::dmx::harness
