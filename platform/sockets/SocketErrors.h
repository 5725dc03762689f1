// Windows Sockets error numbers, and the POSIX errors they correspond to.
//
// The socket layer speaks in Windows Sockets numbers everywhere above the platform, so
// that programs report the same numbers and texts on every system. Only the numbers the
// layer itself names are listed here; the texts live with the socket object.
#pragma once

#include <cstdint>

namespace quarnel::platform {

enum WsaError : int32_t {
  kWsaOk = 0,
  kWsaEIntr = 10004,
  kWsaEBadF = 10009,
  kWsaEAcces = 10013,
  kWsaEFault = 10014,
  kWsaEInval = 10022,
  kWsaEMFile = 10024,
  kWsaEWouldBlock = 10035,
  kWsaEInProgress = 10036,
  kWsaEAlready = 10037,
  kWsaENotSock = 10038,
  kWsaEDestAddrReq = 10039,
  kWsaEMsgSize = 10040,
  kWsaEOpNotSupp = 10045,
  kWsaEAddrInUse = 10048,
  kWsaEAddrNotAvail = 10049,
  kWsaENetUnreach = 10051,
  kWsaEConnAborted = 10053,
  kWsaEConnReset = 10054,
  kWsaENoBufs = 10055,
  kWsaEIsConn = 10056,
  kWsaENotConn = 10057,
  kWsaEShutdown = 10058,
  kWsaETimedOut = 10060,
  kWsaEConnRefused = 10061,
  kWsaNotInitialised = 10093,
  kWsaSysCallFailure = 10107,
  kWsaHostNotFound = 11001,
  kWsaTryAgain = 11002,
  kWsaNoRecovery = 11003,
  kWsaNoData = 11004,
};

// The Windows Sockets number for a POSIX errno value (10107 for ones without a match).
int32_t WsaErrorFromErrno(int errno_value);
// The Windows Sockets number for a getaddrinfo/getnameinfo result (0 stays 0).
int32_t WsaErrorFromLookup(int eai_value, int errno_value);
// The Windows Sockets number for the errno of the last failed call.
int32_t LastWsaError();

}  // namespace quarnel::platform
