#include "platform/loop/EventLoop.h"
#include "platform/sockets/AsyncGetHostByName.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/Socket.h"
#include "platform/sockets/SocketErrors.h"

#include <mutex>
#include <system_error>
#include <thread>

#include <pthread.h>
#include <signal.h>

namespace quarnel::platform {

struct AsyncGetHostByName::Result {
  std::mutex mutex;
  std::vector<uint32_t> addresses;
};

std::unique_ptr<AsyncGetHostByName> AsyncGetHostByName::Start(WindowTable& windows,
                                                              WindowHandle window, uint32_t message,
                                                              const std::string& name,
                                                              int32_t& error) {
  std::unique_ptr<AsyncGetHostByName> lookup(new AsyncGetHostByName());
  lookup->result_ = std::make_shared<Result>();
  lookup->alive_ = std::make_shared<int>(0);
  std::weak_ptr<const void> guard = lookup->alive_;
  auto worker = [poster = windows.Loop().ThreadPoster(), result = lookup->result_, guard, window,
                 message, name, table = &windows] {
    int32_t lookup_error = 0;
    std::vector<uint32_t> found = ResolveIpv4(name, lookup_error);
    {
      std::lock_guard<std::mutex> lock(result->mutex);
      result->addresses = std::move(found);
    }
    poster->Post([table, guard, window, message, lookup_error] {
      // Runs on the loop's thread. While the lookup lives, so does the window table its
      // owner posts to; once it has gone, the table may have too.
      if (guard.expired()) return;
      WindowMessage reply;
      reply.message = message;
      reply.lparam = SocketMessageParam(0, lookup_error);
      reply.guard = guard;
      reply.guarded = true;
      table->Send(window, reply);
    });
  };

  // The worker takes no signals: SIGINT and SIGTERM belong to the loop's thread.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  error = 0;
  try {
    std::thread(std::move(worker)).detach();
  } catch (const std::system_error&) {
    error = kWsaENoBufs;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (error != 0) return nullptr;
  return lookup;
}

AsyncGetHostByName::~AsyncGetHostByName() = default;

std::vector<uint32_t> AsyncGetHostByName::Addresses() const {
  std::lock_guard<std::mutex> lock(result_->mutex);
  return result_->addresses;
}

}  // namespace quarnel::platform
