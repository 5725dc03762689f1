// A listening UniSock that accepts every connection into a fresh instance, for tests.
#pragma once

#include "net/UniSock.h"
#include "net/tests/UniSockTestSupport.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quarnel::net::testing {

struct TcpServer {
  platform::WindowTable& windows;
  UniSock listener;
  std::vector<std::unique_ptr<UniSock>> connections;
  // Runs on each new instance before it accepts: the place to attach handlers.
  std::function<void(UniSock&)> prepare;
  bool accept = true;

  // Listens on the primary address, or on `ip` when one is given.
  explicit TcpServer(platform::WindowTable& w, const std::string& ip = "")
      : windows(w), listener(w) {
    if (!ip.empty()) {
      EXPECT_TRUE(listener.Bind(0, ip));
    }
    EXPECT_TRUE(listener.Listen());
    listener.OnConnectionRequest([this](int32_t request_id) {
      if (!accept) return;
      auto connection = std::make_unique<UniSock>(windows);
      UniSock& ref = *connection;
      connections.push_back(std::move(connection));
      if (prepare) prepare(ref);
      EXPECT_TRUE(ref.Accept(request_id));
    });
  }
  uint16_t Port() const { return static_cast<uint16_t>(listener.LocalPort()); }
  bool WaitForConnections(size_t count) {
    return RunUntil(windows.Loop(), [&] { return connections.size() >= count; });
  }
};

}  // namespace quarnel::net::testing
