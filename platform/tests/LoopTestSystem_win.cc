#include "platform/loop/SignalWatch_win.h"
#include "platform/tests/LoopTestSystem.h"

#include <csignal>
#include <stdexcept>

#include <windows.h>
#include <winsock2.h>

namespace quarnel::platform::testing {
namespace {

SOCKET Checked(SOCKET socket) {
  if (socket == INVALID_SOCKET) throw std::runtime_error("cannot make a loopback connection");
  return socket;
}

}  // namespace

// A listener on a free loopback port, a client connected to it, and the accepted end.
TestChannel::TestChannel() {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET listener = Checked(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 1) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::closesocket(listener);
    throw std::runtime_error("cannot listen on loopback");
  }
  SOCKET writer = Checked(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (::connect(writer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(writer);
    ::closesocket(listener);
    throw std::runtime_error("cannot connect on loopback");
  }
  SOCKET reader = ::accept(listener, nullptr, nullptr);
  ::closesocket(listener);
  write_end_ = static_cast<Descriptor>(writer);
  read_end_ = static_cast<Descriptor>(Checked(reader));
  u_long non_blocking = 1;
  ::ioctlsocket(reader, FIONBIO, &non_blocking);
}

TestChannel::~TestChannel() {
  CloseWriter();
  ::closesocket(static_cast<SOCKET>(read_end_));
}

void TestChannel::Write() {
  if (::send(static_cast<SOCKET>(write_end_), "x", 1, 0) != 1) {
    throw std::runtime_error("cannot send on the loopback connection");
  }
}

bool TestChannel::ReadOne() {
  char c;
  return ::recv(static_cast<SOCKET>(read_end_), &c, 1, 0) == 1;
}

void TestChannel::CloseWriter() {
  if (writer_open_) ::closesocket(static_cast<SOCKET>(write_end_));
  writer_open_ = false;
}

void RequestQuit(int signal) {
  ConsoleControlWatch::Deliver(signal == SIGINT ? CTRL_C_EVENT : CTRL_BREAK_EVENT);
}

}  // namespace quarnel::platform::testing
