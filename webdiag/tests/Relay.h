// A TCP relay between a browser and the web server under test: it passes bytes both ways
// unchanged and notes every connection and the first line of every request that goes
// through, so a test can tell exactly what the browser asked the server for. Runs on a
// thread of its own; every wait is bounded.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quarnel::webdiag::testing {

class Relay {
 public:
  // Called on the relay's thread with a request line, before the request goes on.
  using RequestHook = std::function<void(const std::string& line)>;

  // Listens on `address` (any free port) and relays to `address`:`target_port`.
  Relay(std::string address, uint16_t target_port, RequestHook hook = nullptr);
  ~Relay();
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  uint16_t Port() const { return port_; }
  // The first line of every request so far, in order of arrival.
  std::vector<std::string> Requests() const;
  // Connections the browser opened, with or without a request.
  int Connections() const;

 private:
  struct Pair;
  void Run();

  std::string address_;
  uint16_t target_port_;
  RequestHook hook_;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  uint16_t port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  int connections_ = 0;
};

}  // namespace quarnel::webdiag::testing
