// Host name lookup that answers with a window message (WSAAsyncGetHostByName).
//
// The lookup runs on a worker thread of its own, the only thread besides a program's
// loop; its answer comes back as a message posted to the window on the loop's thread,
// with the error (0 on success) in the high word of lparam. Destroying the lookup
// cancels it: no message arrives after that, and a worker still waiting for the name
// service finishes on its own and drops its result.
#pragma once

#include "platform/window/WindowTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarnel::platform {

class AsyncGetHostByName {
 public:
  // Starts the lookup; null with `error` set when no worker could be started.
  static std::unique_ptr<AsyncGetHostByName> Start(WindowTable& windows, WindowHandle window,
                                                   uint32_t message, const std::string& name,
                                                   int32_t& error);
  ~AsyncGetHostByName();
  AsyncGetHostByName(const AsyncGetHostByName&) = delete;
  AsyncGetHostByName& operator=(const AsyncGetHostByName&) = delete;

  // The addresses found, first one first; complete once the message has arrived.
  std::vector<uint32_t> Addresses() const;

  struct Result;

 private:
  AsyncGetHostByName() = default;

  std::shared_ptr<Result> result_;
  std::shared_ptr<int> alive_;
};

}  // namespace quarnel::platform
