// What the socket object's tests share: a loop, a way to wait on it, and a record of the
// events an instance raised.
#pragma once

#include "net/UniSock.h"
#include "net/UniSockErrors.h"
#include "platform/base/Error.h"
#include "platform/loop/EventLoop.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::net::testing {

constexpr std::chrono::milliseconds kPatience{3000};

// Runs the loop until `done` or kPatience; false on time-out.
inline bool RunUntil(platform::EventLoop& loop, const std::function<bool()>& done) {
  return loop.RunUntil(done, kPatience);
}

// Status changes and errors raised by one instance.
struct EventLog {
  std::vector<int32_t> statuses;
  std::vector<SocketErrorInfo> errors;

  void Attach(UniSock& sock) {
    sock.OnStatusChange([this](int32_t status) { statuses.push_back(status); });
    sock.OnError([this](SocketErrorInfo& info) { errors.push_back(info); });
  }
};

// Expects `call` to raise `number` with its table description and `source`.
inline void ExpectRaises(const std::function<void()>& call, int32_t number,
                         const std::string& source) {
  try {
    call();
    ADD_FAILURE() << "no error raised; expected " << number << " from " << source;
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), number) << source;
    EXPECT_EQ(e.Description(), ErrorDescription(number)) << source;
    EXPECT_FALSE(e.Description().empty()) << number;
    EXPECT_EQ(e.Source(), source);
  }
}

}  // namespace quarnel::net::testing
