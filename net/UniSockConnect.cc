// UniSock: creating, binding, listening, connecting and accepting.
#include "net/UniSock.h"
#include "net/UniSockErrors.h"
#include "net/UniSockWindow.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/SocketErrors.h"

#include <algorithm>

namespace quarnel::net {

using platform::Ipv4Address;
using platform::Socket;

namespace {
constexpr uint32_t kAllEvents = platform::kFdRead | platform::kFdWrite | platform::kFdAccept |
                                platform::kFdConnect | platform::kFdClose;  // 59
constexpr int kBacklog = 5;
// Bytes asked for per TCP read when the socket will not say.
constexpr int32_t kDefaultChunk = 65536;
// What a UDP socket asks to hold: datagrams that arrive while the program is busy (the
// DMX server writing a frame for 23 ms) wait here, and a burst larger than the system's
// small default would otherwise be dropped before it is read.
constexpr int32_t kUdpReceiveBuffer = 1 << 20;
}  // namespace

// Makes the socket for the current Protocol and asks for its notifications; 0 or the
// platform error.
int32_t UniSock::CreateSocket() {
  int32_t error = 0;
  auto kind = protocol_ == kUdp ? platform::SocketKind::kUdp : platform::SocketKind::kTcp;
  Socket socket = Socket::Create(kind, error);
  if (!socket.Valid()) return error;
  if (protocol_ == kUdp) {
    socket.SetBroadcast(true);
    socket.SetReceiveBufferSize(kUdpReceiveBuffer);
    receive_chunk_ = send_chunk_ = platform::kMaxUdpMessage;
  } else {
    if (socket.ReceiveBufferSize(receive_chunk_) != 0) receive_chunk_ = kDefaultChunk;
    if (socket.SendBufferSize(send_chunk_) != 0) send_chunk_ = kDefaultChunk;
  }
  socket_ = std::move(socket);
  ++socket_serial_;
  error = socket_.AsyncSelect(windows_, window_->Handle(), kSocketMessage, kAllEvents);
  if (error != 0) SetStatus(kError, error);
  return 0;
}

bool UniSock::Bind(int32_t local_port, const std::string& local_ip) {
  if (!socket_.Valid()) {
    if (int32_t error = CreateSocket(); error != 0) {
      SetStatus(kError, error, "Bind");
      return false;
    }
  }
  return PrivateBind(local_port, local_ip);
}

bool UniSock::PrivateBind(int32_t port, const std::string& address) {
  if (state_ == kOpen) return true;
  if (!socket_.Valid()) {
    SetStatus(kError, platform::kWsaENotSock, "Private_Bind");
    return false;
  }
  const int32_t port_used = port >= 1 && port <= 65535 ? port : local_port_;
  // An empty address is the machine's primary address (see PrimaryAddress.h).
  uint32_t ip = 0;
  if (address.empty()) {
    ip = platform::FindPrimaryAddress().address;
  } else if (auto dotted = platform::ParseDotted(address)) {
    ip = *dotted;
  } else {
    int32_t error = 0;
    auto found = platform::ResolveIpv4(address, error);
    if (found.empty()) {
      SetStatus(kError, error, "Private_Bind");
      return false;
    }
    ip = found.front();
  }
  if (int32_t error = socket_.Bind({ip, static_cast<uint16_t>(port_used)}); error != 0) {
    SetStatus(kError, error, "Private_Bind");
    return false;
  }
  bound_address_ = platform::DottedText(ip);
  if (port_used != 0) {
    local_port_ = port_used;
    bound_port_ = port_used;
  } else {
    Ipv4Address local;
    if (socket_.LocalAddress(local) == 0) bound_port_ = local.port;
  }
  SetStatus(kOpen);
  return true;
}

bool UniSock::Listen() {
  if (state_ != kClosed && state_ != kOpen) throw UniSockError(kErrInvalidState, "Listen");
  if (!socket_.Valid()) {
    if (int32_t error = CreateSocket(); error != 0) {
      SetStatus(kError, error, "Listen");
      return false;
    }
  }
  if (!PrivateBind(0, "")) return false;
  if (int32_t error = socket_.Listen(kBacklog); error != 0) throw UniSockError(error, "Listen");
  return true;
}

bool UniSock::Connect(const std::string& remote_host, int32_t remote_port) {
  if (!remote_host.empty()) {
    remote_host_ = remote_host;
    remote_host_from_peer_ = false;
  }
  if (remote_port >= 1 && remote_port <= 65535) remote_port_ = remote_port;
  if (RemoteHost().empty()) {
    SetStatus(kError, platform::kWsaEDestAddrReq, "Connect");
    return false;
  }
  if (!socket_.Valid()) {
    if (int32_t error = CreateSocket(); error != 0) {
      SetStatus(kError, error, "Connect");
      return false;
    }
  }
  if (protocol_ == kUdp) {
    // "0" asks for the broadcast address, which the address conversion gives for "-1".
    if (remote_host_ == "0") remote_host_ = "-1";
    return PrivateBind(0, "");
  }
  if (auto dotted = platform::ParseDotted(remote_host_)) return ConnectByAddress(*dotted, true);

  lookup_.reset();  // a lookup still running is cancelled
  int32_t error = 0;
  lookup_ = platform::AsyncGetHostByName::Start(windows_, window_->Handle(), kLookupMessage,
                                                remote_host_, error);
  if (!lookup_) {
    SetStatus(kError, error, "Connect", "Could not allocate memory for asynchronous process.");
    return false;
  }
  SetStatus(kResolvingHost);
  return true;
}

void UniSock::OnLookupReply(int32_t error) {
  if (!lookup_) return;
  std::vector<uint32_t> addresses = lookup_->Addresses();
  lookup_.reset();
  if (error == 0 && addresses.empty()) error = platform::kWsaNoData;
  if (error != 0) {
    SetStatus(kError, error, "Connect");
    return;
  }
  Alive alive = alive_;
  SetStatus(kHostResolved);
  if (!alive.expired()) ConnectByAddress(addresses.front(), false);
}

// Starts the TCP connection. `raise`: an address that cannot be used is raised to the
// caller (from Connect) rather than reported (from a lookup reply inside the loop).
bool UniSock::ConnectByAddress(uint32_t address, bool raise) {
  if (!socket_.Valid()) {
    SetStatus(kError, platform::kWsaENotSock, "ConnectIP");
    return false;
  }
  if (remote_port_ < 1 || remote_port_ > 65535) {
    SetStatus(kError, platform::kWsaEAddrNotAvail, "ConnectIP");
    return false;
  }
  Alive alive = alive_;
  SetStatus(kConnecting);
  if (alive.expired()) return false;
  remote_ip_ = address;
  int32_t error = socket_.Connect({address, static_cast<uint16_t>(remote_port_)});
  if (error == 0 || error == platform::kWsaEWouldBlock) return true;
  if (error == platform::kWsaEAddrNotAvail && raise) throw UniSockError(error, "ConnectIP");
  SetStatus(kError, error, "ConnectIP");
  return false;
}

void UniSock::OnConnected() {
  Ipv4Address peer;
  if (int32_t error = socket_.PeerAddress(peer); error != 0) {
    SetStatus(kError, error);
    return;
  }
  remote_ip_ = peer.address;
  remote_port_ = peer.port;
  Ipv4Address local;
  if (socket_.LocalAddress(local) == 0) bound_port_ = local.port;
  Alive alive = alive_;
  SetStatus(kConnected);
  if (!alive.expired()) Raise(on_connect_);
}

void UniSock::OnAccept() {
  if (pending_) {
    // A handler still deciding about the previous connection pumped messages: this one
    // waits until that handler has returned.
    accept_deferred_ = true;
    return;
  }
  Ipv4Address peer;
  int32_t error = 0;
  Socket accepted = socket_.Accept(peer, error);
  if (!accepted.Valid()) {
    if (error != platform::kWsaEWouldBlock) SetStatus(kError, error);
    return;
  }
  pending_.emplace(PendingConnection{std::move(accepted), peer, {}});
  if (!Raise(on_connection_request_, window_->Handle())) return;
  // A connection nobody took over is closed.
  pending_.reset();
  if (accept_deferred_ && socket_.Valid()) {
    accept_deferred_ = false;
    PostToSelf(platform::kFdAccept);
  }
}

void UniSock::HandOverPending(HandOver& request) {
  if (!pending_ || request.taker == this) return;
  request.taken = std::move(pending_);
  pending_.reset();
  // Forget owners whose windows have gone, then note the new one.
  std::erase_if(take_over_,
                [&](const auto& entry) { return windows_.Find(entry.second) == nullptr; });
  take_over_[request.taken->socket.Handle()] = request.taker_window;
}

void UniSock::OnPendingRead() {
  size_t chunk = static_cast<size_t>(receive_chunk_ > 0 ? receive_chunk_ : kDefaultChunk);
  ByteQueue& early = pending_->early_data;
  uint8_t* room = early.Reserve(chunk, chunk);
  size_t received = 0;
  if (pending_->socket.Recv(room, chunk, false, received) == 0) early.Commit(received);
}

bool UniSock::Accept(int32_t request_id) {
  if (state_ != kClosed || request_id == 0) throw UniSockError(kErrInvalidState, "Accept");
  // The request id is the listener's window: it hands its pending connection over while
  // the message is handled. Any other window, or a listener with nothing pending, leaves
  // the request empty.
  HandOver request;
  request.taker = this;
  request.taker_window = window_->Handle();
  platform::WindowMessage message;
  message.message = kHandOverMessage;
  message.lparam = static_cast<int64_t>(reinterpret_cast<intptr_t>(&request));
  windows_.Send(request_id, message);
  if (!request.taken) throw UniSockError(kErrBadArgument, "Accept");

  ++socket_serial_;
  socket_.Close();
  ClearConnection();
  PendingConnection taken = std::move(*request.taken);

  socket_ = std::move(taken.socket);
  receive_ = std::move(taken.early_data);
  protocol_ = kTcp;
  Alive alive = alive_;
  int32_t error = 0;
  if (socket_.ReceiveBufferSize(receive_chunk_) != 0) receive_chunk_ = kDefaultChunk;
  if (socket_.SendBufferSize(send_chunk_) != 0) send_chunk_ = kDefaultChunk;
  error = socket_.AsyncSelect(windows_, window_->Handle(), kSocketMessage, kAllEvents);
  Ipv4Address local;
  if (error == 0) error = socket_.LocalAddress(local);
  if (error != 0) {
    SetStatus(kError, error, "Accept");
    if (alive.expired()) return true;
  } else {
    bound_address_ = platform::DottedText(local.address);
    bound_port_ = local.port;
  }
  remote_ip_ = taken.peer.address;
  remote_port_ = taken.peer.port;
  remote_host_from_peer_ = true;

  SetStatus(kConnected);
  if (alive.expired() || !Raise(on_connect_)) return true;
  if (!receive_.Empty() && state_ == kConnected) AnnounceReceived(receive_.Size());
  return true;
}

}  // namespace quarnel::net
