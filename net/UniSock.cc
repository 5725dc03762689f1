// UniSock: creation, properties, the status routine, notification dispatch and closing.
#include "net/UniSock.h"

#include "net/UniSockErrors.h"
#include "net/UniSockWindow.h"
#include "platform/sockets/PrimaryAddress.h"
#include "platform/sockets/SocketErrors.h"

#include <iostream>

namespace quarnel::net {

using platform::WindowMessage;

UniSock::UniSock(platform::WindowTable& windows)
    : windows_(windows), window_(std::make_unique<HiddenWindow>(windows, *this)) {}

UniSock::~UniSock() {
  // No events from here on; a handler running further up the stack sees the object gone.
  alive_.reset();
  lookup_.reset();
  pending_.reset();
  socket_.Close();
}

// --- Events and status

void UniSock::SetStatus(int32_t status, int32_t error, const std::string& operation,
                        std::string description) {
  if (status != kError) state_ = status;
  if (!Raise(on_status_change_, status) || error == 0) return;
  SocketErrorInfo info;
  info.number = static_cast<int16_t>(error);
  info.description = description.empty() ? ErrorDescription(error) : std::move(description);
  info.scode = error;
  info.source = operation.empty() ? "UniSock" : "UniSock." + operation;
  info.cancel_display = true;
  if (!Raise(on_error_, info)) return;
  if (!info.cancel_display) {
    std::cerr << "Warning - " << info.source << ": " << info.description << std::endl;
  }
}

// --- Properties

void UniSock::SetProtocol(int32_t protocol) {
  if (state_ != kClosed) throw UniSockError(kErrInvalidState, "Protocol");
  if (protocol != kTcp && protocol != kUdp) throw UniSockError(kErrBadArgument, "Protocol");
  protocol_ = protocol;
}

int32_t UniSock::LocalPort() const { return bound_port_ != 0 ? bound_port_ : local_port_; }

void UniSock::SetLocalPort(int32_t port) {
  if (state_ != kClosed) throw UniSockError(kErrInvalidState, "LocalPort");
  if (port < 0 || port > 65535) throw UniSockError(kErrBadArgument, "LocalPort");
  local_port_ = port;
}

std::string UniSock::RemoteHost() const {
  if (remote_host_from_peer_) {
    remote_host_ = platform::ReverseLookup(remote_ip_);
    remote_host_from_peer_ = false;
  }
  return remote_host_;
}

void UniSock::SetRemoteHost(std::string host) {
  if (protocol_ != kUdp && state_ != kClosed) throw UniSockError(kErrInvalidState, "RemoteHost");
  remote_host_ = std::move(host);
  remote_host_from_peer_ = false;
}

void UniSock::SetRemotePort(int32_t port) {
  if (protocol_ != kUdp && state_ != kClosed) throw UniSockError(kErrInvalidState, "RemotePort");
  if (port < 0 || port > 65535) throw UniSockError(kErrBadArgument, "RemotePort");
  remote_port_ = port;
}

void UniSock::SetLineChange(LineBreak line_change) {
  if (line_change != LineBreak::kNone && LineBreakBytes(line_change).empty()) {
    throw UniSockError(kErrBadArgument, "LineChange");
  }
  line_change_ = line_change;
}

int32_t UniSock::BytesReceived() const {
  if (protocol_ == kTcp) return static_cast<int32_t>(receive_.Size());
  uint32_t waiting = 0;
  if (socket_.AvailableBytes(waiting) != 0) return 0;
  return static_cast<int32_t>(waiting);
}

std::string UniSock::LocalHostname() const { return platform::LocalHostName(); }

std::string UniSock::LocalIP() const {
  if (state_ == kOpen || state_ == kListening) return bound_address_;
  return platform::DottedText(platform::FindPrimaryAddress().address);
}

std::string UniSock::RemoteHostIP() const { return platform::DottedText(remote_ip_); }

std::string UniSock::RequestHost() const {
  return pending_ ? platform::ReverseLookup(pending_->peer.address) : "";
}

std::string UniSock::RequestIP() const {
  return pending_ ? platform::DottedText(pending_->peer.address) : "";
}

int32_t UniSock::RequestPort() const { return pending_ ? pending_->peer.port : 0; }

// --- Notifications

void UniSock::WindowProc(const WindowMessage& message) {
  if (message.message == kLookupMessage) {
    OnLookupReply(platform::SocketMessageError(message.lparam));
    return;
  }
  if (message.message == kHandOverMessage) {
    HandOverPending(*reinterpret_cast<HandOver*>(static_cast<intptr_t>(message.lparam)));
    return;
  }
  if (message.message != kSocketMessage) return;
  const auto socket = static_cast<int32_t>(message.wparam);
  const uint32_t event = platform::SocketMessageEvent(message.lparam);
  const int32_t error = platform::SocketMessageError(message.lparam);

  if (socket_.Valid() && socket == socket_.Handle()) {
    if (error != 0) {
      SetStatus(kError, error, "WndProc");
    } else {
      HandleEvent(event);
    }
  } else if (pending_ && socket == pending_->socket.Handle()) {
    if (error != 0) {
      SetStatus(kError, error);
    } else if (event == platform::kFdRead) {
      OnPendingRead();
    }
  } else if (socket_.Valid()) {
    // A connection taken over by another instance: its notifications queued here before
    // the take-over go on to the new owner at once, keeping their place in the queue.
    auto it = take_over_.find(socket);
    if (it != take_over_.end()) windows_.Send(it->second, message);
  }
}

void UniSock::HandleEvent(uint32_t event) {
  switch (event) {
    case platform::kFdRead:
      if (protocol_ == kUdp) {
        OnReadUdp();
      } else {
        OnReadTcp();
      }
      break;
    case platform::kFdWrite:
      OnWrite();
      break;
    case platform::kFdAccept:
      OnAccept();
      break;
    case platform::kFdConnect:
      OnConnected();
      break;
    case platform::kFdClose:
      if (!Raise(on_closing_)) break;
      // A peer that closes only its sending side still reads: what is queued for it goes
      // first, and the socket closes once the queue is empty or a send fails. The owner
      // bounds how long that may take (CloseSocket ends it at once).
      if (state_ == kConnected && !send_.Empty()) {
        close_when_sent_ = true;
      } else {
        CloseSocket();
      }
      break;
    default:
      break;
  }
}

void UniSock::PostToSelf(uint32_t event) {
  WindowMessage message;
  message.message = kSocketMessage;
  message.wparam = static_cast<uint64_t>(socket_.Handle());
  message.lparam = platform::SocketMessageParam(event, 0);
  message.guard = alive_;
  message.guarded = true;
  windows_.Post(window_->Handle(), std::move(message));
}

// --- Closing

void UniSock::ClearConnection() {
  receive_.Clear();
  lines_.Reset();
  read_stalled_ = false;
  bound_address_.clear();
  local_port_ = 0;
  bound_port_ = 0;
  take_over_.clear();
  pending_.reset();
  accept_deferred_ = false;
  send_.Clear();
  send_progress_ = 0;
  close_when_sent_ = false;
}

bool UniSock::CloseSocket() {
  if (state_ == kClosed) {
    // A socket left over from a failed bind or connect goes quietly.
    if (!socket_.Valid()) return false;
    ++socket_serial_;
    bool closed = socket_.Close() == 0;
    ClearConnection();
    return closed;
  }
  if (closing_) return false;
  closing_ = true;
  Alive alive = alive_;
  SetStatus(kClosing);
  if (alive.expired()) return false;
  lookup_.reset();
  bool closed = true;
  if (socket_.Valid()) {
    ++socket_serial_;
    int32_t error = socket_.Close();
    if (error != 0) {
      closed = false;
      SetStatus(kError, error, "CloseSocket");
      if (alive.expired()) return false;
    }
  }
  ClearConnection();
  closing_ = false;
  SetStatus(kClosed);
  return closed;
}

}  // namespace quarnel::net
