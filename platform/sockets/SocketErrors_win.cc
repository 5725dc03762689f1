#include "platform/sockets/SocketErrors.h"

#include <cerrno>

#include <winsock2.h>

namespace quarnel::platform {

// Windows Sockets gives its own numbers; only the C library's few errno values need one.
int32_t WsaErrorFromErrno(int errno_value) {
  switch (errno_value) {
    case 0:
      return kWsaOk;
    case EINTR:
      return kWsaEIntr;
    case EBADF:
      return kWsaEBadF;
    case EACCES:
    case EPERM:
      return kWsaEAcces;
    case EFAULT:
      return kWsaEFault;
    case EINVAL:
      return kWsaEInval;
    case EMFILE:
    case ENFILE:
      return kWsaEMFile;
    case EAGAIN:
      return kWsaEWouldBlock;
    case ENOMEM:
      return kWsaENoBufs;
    default:
      return kWsaSysCallFailure;
  }
}

// getaddrinfo on Windows answers in Windows Sockets numbers already.
int32_t WsaErrorFromLookup(int eai_value, int) { return eai_value; }

int32_t LastWsaError() { return ::WSAGetLastError(); }

}  // namespace quarnel::platform
