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

namespace quarnel::platform {

// Starts the system's socket library once for the rest of the process (Windows Sockets:
// WSAStartup, held by one object that ends it at exit); nothing to do on POSIX systems.
// Every socket call may follow it.
void RequireSocketLibrary();

}  // namespace quarnel::platform
