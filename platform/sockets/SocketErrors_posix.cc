#include "platform/sockets/SocketErrors.h"

#include <cerrno>

#include <netdb.h>

namespace quarnel::platform {

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
    case EINPROGRESS:
      return kWsaEInProgress;
    case EALREADY:
      return kWsaEAlready;
    case ENOTSOCK:
      return kWsaENotSock;
    case EDESTADDRREQ:
      return kWsaEDestAddrReq;
    case EMSGSIZE:
      return kWsaEMsgSize;
    case EPROTOTYPE:
      return 10041;
    case ENOPROTOOPT:
      return 10042;
    case EPROTONOSUPPORT:
      return 10043;
    case ESOCKTNOSUPPORT:
      return 10044;
    case EOPNOTSUPP:
      return kWsaEOpNotSupp;
    case EPFNOSUPPORT:
      return 10046;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return kWsaEAddrInUse;
    case EADDRNOTAVAIL:
      return kWsaEAddrNotAvail;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return kWsaENetUnreach;
    case ENETRESET:
      return 10052;
    case ECONNABORTED:
      return kWsaEConnAborted;
    case ECONNRESET:
      return kWsaEConnReset;
    case ENOBUFS:
    case ENOMEM:
      return kWsaENoBufs;
    case EISCONN:
      return kWsaEIsConn;
    case ENOTCONN:
      return kWsaENotConn;
    case EPIPE:
    case ESHUTDOWN:
      return kWsaEShutdown;
    case ETOOMANYREFS:
      return 10059;
    case ETIMEDOUT:
      return kWsaETimedOut;
    case ECONNREFUSED:
      return kWsaEConnRefused;
    case ELOOP:
      return 10062;
    case ENAMETOOLONG:
      return 10063;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    case ENOTEMPTY:
      return 10066;
    case EUSERS:
      return 10068;
    case EDQUOT:
      return 10069;
    case ESTALE:
      return 10070;
    case EREMOTE:
      return 10071;
    default:
      return kWsaSysCallFailure;
  }
}

int32_t WsaErrorFromLookup(int eai_value, int errno_value) {
  switch (eai_value) {
    case 0:
      return kWsaOk;
    case EAI_NONAME:
      return kWsaHostNotFound;
    case EAI_AGAIN:
      return kWsaTryAgain;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
      return kWsaNoData;
    case EAI_MEMORY:
      return kWsaENoBufs;
    case EAI_SYSTEM:
      return WsaErrorFromErrno(errno_value);
    default:
      return kWsaNoRecovery;
  }
}

int32_t LastWsaError() { return WsaErrorFromErrno(errno); }

}  // namespace quarnel::platform
