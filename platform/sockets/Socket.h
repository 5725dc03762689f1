// One non-blocking IPv4 socket (TCP or UDP), closed when destroyed.
//
// The calls mirror Windows Sockets: each returns 0 or a Windows Sockets error number.
// AsyncSelect asks for network events (FD_READ, FD_WRITE, FD_ACCEPT, FD_CONNECT,
// FD_CLOSE) to be posted as messages to a message window, and the usual calls re-enable
// them as Windows Sockets does: Recv re-enables FD_READ, Accept FD_ACCEPT, and a Send
// that would block FD_WRITE. Each event is posted once until re-enabled, so a message
// queue never fills with repeats. A socket accepted from a listener inherits its
// listener's AsyncSelect and posts what has already happened on it (FD_WRITE, and FD_READ
// when data came with the connection) to the listener's window. Messages still queued
// when the socket closes are dropped.
#pragma once

#include "platform/sockets/Ipv4.h"
#include "platform/window/WindowTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quarnel::platform {

class AsyncSelect;

enum class SocketKind { kTcp, kUdp };

// Network events, as in the low word of a socket message.
enum NetworkEvent : uint32_t {
  kFdRead = 1,
  kFdWrite = 2,
  kFdOob = 4,
  kFdAccept = 8,
  kFdConnect = 16,
  kFdClose = 32,
};

// The largest UDP payload over IPv4.
constexpr int32_t kMaxUdpMessage = 65507;

class Socket {
 public:
  Socket();
  ~Socket();
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;

  // A new socket; check Valid(), `error` says why when it is not.
  static Socket Create(SocketKind kind, int32_t& error);

  bool Valid() const { return fd_ >= 0; }
  int32_t Handle() const { return fd_; }
  SocketKind Kind() const { return kind_; }
  // Closes the socket now; 0 or the error of the close.
  int32_t Close();

  int32_t Bind(const Ipv4Address& local);
  int32_t Listen(int backlog);
  // A pending connection, or an invalid socket with `error` set.
  Socket Accept(Ipv4Address& peer, int32_t& error);
  // Starts connecting; 10035 (would block) while the connection is being made.
  int32_t Connect(const Ipv4Address& remote);

  int32_t Send(const uint8_t* data, size_t size, size_t& sent);
  int32_t SendTo(const uint8_t* data, size_t size, const Ipv4Address& to, size_t& sent);
  // Reads at most `size` bytes. On a UDP socket a datagram longer than `size` fails with
  // 10040 (message too long); without `peek` it is used up all the same.
  int32_t Recv(uint8_t* data, size_t size, bool peek, size_t& received);

  // FIONREAD: bytes waiting (UDP: the size of the datagram at the head of the queue).
  int32_t AvailableBytes(uint32_t& count) const;
  int32_t ReceiveBufferSize(int32_t& size) const;
  // Asks for a receive buffer of `size` bytes; the system may give less (or, as Linux
  // does, twice what it allows for its own bookkeeping).
  int32_t SetReceiveBufferSize(int32_t size);
  int32_t SendBufferSize(int32_t& size) const;
  int32_t SetBroadcast(bool on);
  int32_t LocalAddress(Ipv4Address& local) const;
  int32_t PeerAddress(Ipv4Address& peer) const;

  // WSAAsyncSelect: posts `message` with wparam = the socket and lparam = the event in the
  // low word and an error in the high word to `window` for the `events` asked for. A
  // second call moves the notifications to the new window without repeating ones already
  // posted. `events` of 0 stops them.
  int32_t AsyncSelect(WindowTable& windows, WindowHandle window, uint32_t message, uint32_t events);

 private:
  Socket(int fd, SocketKind kind);

  int fd_ = -1;
  SocketKind kind_ = SocketKind::kTcp;
  std::unique_ptr<platform::AsyncSelect> select_;
};

// The lparam of a socket message.
constexpr int64_t SocketMessageParam(uint32_t event, int32_t error) {
  return static_cast<int64_t>((static_cast<uint32_t>(error & 0xFFFF) << 16) | (event & 0xFFFF));
}
constexpr uint32_t SocketMessageEvent(int64_t lparam) { return lparam & 0xFFFF; }
constexpr int32_t SocketMessageError(int64_t lparam) { return (lparam >> 16) & 0xFFFF; }

}  // namespace quarnel::platform
