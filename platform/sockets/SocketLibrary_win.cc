#include "platform/sockets/SystemSockets.h"

namespace quarnel::platform {
namespace {

// Windows Sockets 2.2 from the first socket call to the end of the process.
class SocketLibrary {
 public:
  SocketLibrary() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~SocketLibrary() {
    if (started_) ::WSACleanup();
  }
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;

 private:
  bool started_ = false;
};

}  // namespace

// When the start fails, every socket call reports WSANOTINITIALISED (10093) itself.
void RequireSocketLibrary() { static SocketLibrary library; }

}  // namespace quarnel::platform
