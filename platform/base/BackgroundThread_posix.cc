#include "platform/base/BackgroundThread.h"

#include <pthread.h>
#include <signal.h>

namespace quarnel::platform {

std::thread StartBackgroundThread(std::function<void()> work) {
  // The new thread inherits the mask in force while it is made.
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  struct Restore {
    sigset_t mask;
    ~Restore() { pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
  } restore{before};
  return std::thread(std::move(work));
}

}  // namespace quarnel::platform
