#include "dmxserver/tests/ServerProcessHelper.h"

#include <cstdio>
#include <ctime>

#include <signal.h>

namespace quarnel::dmx::harness {

int RunHelper() {
  sigset_t ask;
  sigemptyset(&ask);
  sigaddset(&ask, SIGTERM);
  sigaddset(&ask, SIGINT);
  sigprocmask(SIG_BLOCK, &ask, nullptr);
  const timespec tick{0, 20'000'000};
  for (int turn = 0; turn < 1500; ++turn) {
    if (sigtimedwait(&ask, nullptr, &tick) > 0) {
      std::fputs("bye\n", stdout);
      return 0;
    }
    std::fputs("tick\n", stdout);
    std::fflush(stdout);
  }
  return 3;
}

}  // namespace quarnel::dmx::harness
