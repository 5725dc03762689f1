// The system's socket calls, for the files of the socket layer that both systems share,
// and the start of the system's socket library where it has one.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "platform/sockets/Ipv4.h"

namespace quarnel::platform {

inline sockaddr_in ToSockaddr(const Ipv4Address& address) {
  sockaddr_in out{};
  out.sin_family = AF_INET;
  out.sin_addr.s_addr = address.address;
  out.sin_port = htons(address.port);
  return out;
}

inline Ipv4Address FromSockaddr(const sockaddr_in& in) {
  return {in.sin_addr.s_addr, ntohs(in.sin_port)};
}

// Starts the system's socket library once for the rest of the process (Windows Sockets:
// WSAStartup, held by one object that ends it at exit); nothing to do on POSIX systems.
// Every socket call may follow it.
void RequireSocketLibrary();

}  // namespace quarnel::platform
