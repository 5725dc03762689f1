// UniSock: an event-driven TCP or UDP socket over IPv4, run by the message loop.
//
// Each instance owns at most one socket and one hidden message window in the window table
// it was made with (the program's, on the program's loop). Nothing blocks: connecting, accepting,
// receiving and sending complete from socket notifications, which the platform posts to the window
// and the object turns into events. Invalid calls raise quarnel::Error (40006 to 40026, source
// "UniSock.<member>"); failures of the network are reported through StatusChange and Error, never
// raised.
//
// When the peer closes a TCP connection, Closing is raised and the socket closes; but
// while data is still queued to send, it goes first (a peer that has only shut its
// sending side still reads), and the socket closes once it has gone or a send fails.
//
// Use it on the loop's thread only. Handlers run inside message handling and may call
// back into this or another instance, replace their own handler, or destroy the instance
// that raised the event (the object notices and stops touching itself).
#pragma once

#include "net/ByteQueue.h"
#include "net/Data.h"
#include "net/LineCutter.h"
#include "net/LineEnd.h"
#include "platform/sockets/AsyncGetHostByName.h"
#include "platform/sockets/Socket.h"
#include "platform/window/WindowTable.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quarnel::net {

// What an Error event carries. Handlers may change the description and CancelDisplay;
// with CancelDisplay False the error is shown (written to standard error).
struct SocketErrorInfo {
  int16_t number = 0;
  std::string description;
  int32_t scode = 0;
  std::string source;
  std::string help_file;
  int32_t help_context = 0;
  bool cancel_display = true;
};

class UniSock {
 public:
  // State values.
  static constexpr int32_t kClosed = 0;
  static constexpr int32_t kOpen = 1;
  static constexpr int32_t kListening = 2;
  static constexpr int32_t kResolvingHost = 4;
  static constexpr int32_t kHostResolved = 5;
  static constexpr int32_t kConnecting = 6;
  static constexpr int32_t kConnected = 7;
  static constexpr int32_t kClosing = 8;
  static constexpr int32_t kError = 9;
  // Protocol values.
  static constexpr int32_t kTcp = 0;
  static constexpr int32_t kUdp = 1;

  explicit UniSock(platform::WindowTable& windows);
  ~UniSock();
  UniSock(const UniSock&) = delete;
  UniSock& operator=(const UniSock&) = delete;

  // --- Properties
  int32_t Protocol() const { return protocol_; }
  void SetProtocol(int32_t protocol);  // only while State is 0
  int32_t LocalPort() const;           // the bound port, else the value written
  void SetLocalPort(int32_t port);     // only while State is 0; 0 to 65535
  std::string RemoteHost() const;
  void SetRemoteHost(std::string host);  // UDP, or while State is 0
  int32_t RemotePort() const { return remote_port_; }
  void SetRemotePort(int32_t port);  // UDP, or while State is 0; 0 to 65535
  int32_t Mode() const { return mode_; }
  void SetMode(int32_t mode) { mode_ = mode; }  // 0 binary, anything else text
  LineBreak LineChange() const { return line_change_; }
  void SetLineChange(LineBreak line_change);  // one of the four
  int32_t State() const { return state_; }
  int32_t SocketHandle() const { return socket_.Handle(); }
  int32_t BytesReceived() const;
  std::string LocalHostname() const;
  std::string LocalIP() const;  // bound: the bound address; else the primary address
  int32_t RemoteIP() const { return static_cast<int32_t>(remote_ip_); }
  std::string RemoteHostIP() const;
  std::string RequestHost() const;
  std::string RequestIP() const;
  int32_t RequestPort() const;

  // --- Methods (results: true on success)
  bool Accept(int32_t request_id);
  bool Bind(int32_t local_port = 0, const std::string& local_ip = "");
  bool CloseSocket();
  bool Connect(const std::string& remote_host = "", int32_t remote_port = 0);
  bool GetData(Data& data, int32_t var_type = VarType::kEmpty, int32_t max_len = 0);
  bool Listen();
  bool PeekData(Data& data, int32_t var_type = VarType::kEmpty, int32_t max_len = 0);
  bool SendData(const Data& data);
  bool SendText(const std::string& text, int32_t text_format = 0);

  // --- Events
  void OnClosing(std::function<void()> handler) { on_closing_ = std::move(handler); }
  void OnConnect(std::function<void()> handler) { on_connect_ = std::move(handler); }
  void OnConnectionRequest(std::function<void(int32_t request_id)> handler) {
    on_connection_request_ = std::move(handler);
  }
  void OnDataArrival(std::function<void(int32_t bytes_total)> handler) {
    on_data_arrival_ = std::move(handler);
  }
  void OnError(std::function<void(SocketErrorInfo&)> handler) { on_error_ = std::move(handler); }
  void OnSendComplete(std::function<void()> handler) { on_send_complete_ = std::move(handler); }
  void OnSendProgress(std::function<void(int32_t bytes_sent, int32_t bytes_remaining)> handler) {
    on_send_progress_ = std::move(handler);
  }
  void OnStatusChange(std::function<void(int32_t status)> handler) {
    on_status_change_ = std::move(handler);
  }
  // `line_change`: how the line ended (never kNone); `ansi`: the line was not UTF-8 and
  // was read as ANSI text.
  void OnTextArrival(std::function<void(std::string& text, LineBreak line_change, bool ansi)> h) {
    on_text_arrival_ = std::move(h);
  }

  // The message numbers of the hidden window.
  static constexpr uint32_t kLookupMessage = 2048;
  static constexpr uint32_t kSocketMessage = 2049;
  // Sent by Accept to the listener's window: lparam points to a HandOver, which the
  // listener fills while the message is handled.
  static constexpr uint32_t kHandOverMessage = 2050;

 private:
  class HiddenWindow;
  struct PendingConnection {
    platform::Socket socket;
    platform::Ipv4Address peer;
    ByteQueue early_data;
  };
  struct HandOver {
    const UniSock* taker = nullptr;
    platform::WindowHandle taker_window = 0;
    std::optional<PendingConnection> taken;
  };
  using Alive = std::weak_ptr<int>;

  // Status and events.
  void SetStatus(int32_t status, int32_t error = 0, const std::string& operation = "",
                 std::string description = "");
  // Raises an event; false when a handler destroyed this object.
  template <typename Handler, typename... Args>
  bool Raise(const Handler& handler, Args&&... args) {
    if (!handler) return true;
    Alive alive = alive_;
    Handler copy = handler;  // the handler may replace itself or destroy this object
    copy(std::forward<Args>(args)...);
    return !alive.expired();
  }

  // Socket set-up and connection.
  int32_t CreateSocket();
  bool PrivateBind(int32_t port, const std::string& address);
  bool ConnectByAddress(uint32_t address, bool raise);
  bool ResolveTarget(uint32_t& address);

  // Notifications.
  void WindowProc(const platform::WindowMessage& message);
  void OnLookupReply(int32_t error);
  void HandleEvent(uint32_t event);
  void OnReadUdp();
  void DropEmptyDatagram();
  void OnReadTcp();
  void AnnounceReceived(size_t count);
  void OnWrite();
  void OnAccept();
  void OnConnected();
  void OnPendingRead();
  void HandOverPending(HandOver& request);

  bool ReadData(Data& data, int32_t var_type, int32_t max_len, bool peek);
  bool PrepareSend(const char* member);
  bool QueueAndSend(const std::vector<uint8_t>& bytes);
  void PostToSelf(uint32_t event);
  void ClearConnection();

  platform::WindowTable& windows_;
  std::unique_ptr<HiddenWindow> window_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);

  // Properties.
  int32_t protocol_ = kTcp;
  int32_t local_port_ = 0;
  int32_t bound_port_ = 0;
  mutable std::string remote_host_;
  mutable bool remote_host_from_peer_ = false;  // RemoteHost is the name of remote_ip_, looked
                                                // up when first read
  int32_t remote_port_ = 80;
  int32_t mode_ = 0;
  LineBreak line_change_ = LineBreak::kCrLf;
  int32_t state_ = kClosed;
  uint32_t remote_ip_ = 0;
  std::string bound_address_;

  // The socket and its buffers.
  platform::Socket socket_;
  uint64_t socket_serial_ = 0;    // changes whenever the socket is replaced or closed
  uint64_t datagrams_taken_ = 0;  // UDP datagrams read (and so removed) by GetData
  int32_t receive_chunk_ = 0;
  int32_t send_chunk_ = 0;
  ByteQueue receive_;
  LineCutter lines_;
  ByteQueue send_;
  size_t send_progress_ = 0;   // bytes of the current send already handed over
  bool read_stalled_ = false;  // the receive buffer is full; reading waits for GetData
  bool closing_ = false;
  bool close_when_sent_ = false;  // the peer has closed: close once send_ is empty

  // Listening.
  std::optional<PendingConnection> pending_;
  bool accept_deferred_ = false;  // a connection came while the previous one was pending
  // Connections accepted from here by other instances, by socket: notifications queued
  // here before the hand-over go on to the new owner's window.
  std::map<int32_t, platform::WindowHandle> take_over_;

  // Host lookup.
  std::unique_ptr<platform::AsyncGetHostByName> lookup_;

  // Event handlers.
  std::function<void()> on_closing_;
  std::function<void()> on_connect_;
  std::function<void(int32_t)> on_connection_request_;
  std::function<void(int32_t)> on_data_arrival_;
  std::function<void(SocketErrorInfo&)> on_error_;
  std::function<void()> on_send_complete_;
  std::function<void(int32_t, int32_t)> on_send_progress_;
  std::function<void(int32_t)> on_status_change_;
  std::function<void(std::string&, LineBreak, bool)> on_text_arrival_;
};

}  // namespace quarnel::net
