// UniSock: receiving and sending.
#include "net/DataConversion.h"
#include "net/TextCodec.h"
#include "net/UniSock.h"
#include "net/UniSockErrors.h"
#include "net/UniSockWindow.h"
#include "platform/sockets/SocketErrors.h"

#include <algorithm>
#include <chrono>

namespace quarnel::net {
namespace {
// Received bytes held for the program before reading pauses: past this the peer waits
// (the network's flow control holds it back) until GetData makes room.
constexpr size_t kReceiveLimit = size_t{64} << 20;
// Datagrams handled per read notification at most, and the time they may take: where
// each socket call is slow (a machine too busy to answer the program at once), a few
// datagrams already fill it.
constexpr int kDatagramsPerNotification = 16;
constexpr auto kTimePerNotification = std::chrono::milliseconds(2);
}  // namespace

// --- Read events

void UniSock::OnReadUdp() {
  const uint64_t serial = socket_serial_;
  const auto end = std::chrono::steady_clock::now() + kTimePerNotification;
  // Each turn raises DataArrival for the datagram at the head of the queue. A datagram
  // behind gets its own event at once, so a program that was busy catches up in one go;
  // the bounds leave timers and other sockets their turn under a flood (a read re-armed
  // the notification for the rest).
  for (int turn = 0;
       turn < kDatagramsPerNotification && (turn == 0 || std::chrono::steady_clock::now() < end);
       ++turn) {
    const uint64_t taken = datagrams_taken_;
    uint32_t waiting = 0;
    if (socket_.AvailableBytes(waiting) != 0 || waiting == 0) {
      DropEmptyDatagram();
      return;
    }
    if (!Raise(on_data_arrival_, static_cast<int32_t>(std::min<uint32_t>(waiting, INT32_MAX)))) {
      return;
    }
    if (serial != socket_serial_) return;  // a handler closed or replaced the socket
    if (datagrams_taken_ == taken) {
      // Nobody read it: reading one byte drops it (and re-arms the notification, which
      // would otherwise come again and again for it).
      uint8_t byte;
      size_t received = 0;
      socket_.Recv(&byte, 1, false, received);
    }
  }
}

// An empty datagram raises no DataArrival and is dropped. The look first re-arms the
// notification and makes sure that no datagram with content, which may have arrived just
// now, is taken for it.
void UniSock::DropEmptyDatagram() {
  uint8_t byte;
  size_t received = 0;
  if (socket_.Recv(&byte, 1, true, received) == 0 && received == 0) {
    socket_.Recv(&byte, 1, false, received);
  }
}

void UniSock::OnReadTcp() {
  if (receive_.Size() >= kReceiveLimit) {
    read_stalled_ = true;
    return;
  }
  const size_t chunk = static_cast<size_t>(std::max(receive_chunk_, 1));
  uint8_t* room = receive_.Reserve(chunk, 2 * chunk);
  size_t received = 0;
  int32_t error = socket_.Recv(room, chunk, false, received);
  if (error == platform::kWsaEWouldBlock) return;  // nothing after all
  if (error != 0) {
    SetStatus(kError, error, "Private_Message");
    return;
  }
  if (received == 0) return;  // end of the stream: the close notification follows
  receive_.Commit(received);
  AnnounceReceived(received);
}

// DataArrival for `count` new bytes in binary mode; in text mode one TextArrival per
// complete line.
void UniSock::AnnounceReceived(size_t count) {
  if (mode_ == 0) {
    Raise(on_data_arrival_, static_cast<int32_t>(std::min<size_t>(count, INT32_MAX)));
    return;
  }
  const uint64_t serial = socket_serial_;
  // Bounded by the lines in the buffer; stops when a handler closes the socket or turns
  // text mode off.
  while (mode_ != 0 && serial == socket_serial_) {
    std::optional<TextLine> line = lines_.Next(receive_);
    if (!line) break;
    if (!Raise(on_text_arrival_, line->text, line->line_change, line->ansi)) return;
  }
}

// --- Write events

// The address UDP datagrams go to. A dotted address is used as it is, and "-1" or any
// other text that is not an address (but is not a name either) is the broadcast address;
// a name is looked up, so that a mistyped host is reported instead of broadcast.
bool UniSock::ResolveTarget(uint32_t& address) {
  address = platform::InetAddr(remote_host_);
  if (address != platform::kInetNone || remote_host_ == "-1" || remote_host_ == "255.255.255.255") {
    return true;
  }
  if (remote_host_.empty()) {
    SetStatus(kError, platform::kWsaEDestAddrReq);
    return false;
  }
  int32_t error = 0;
  auto found = platform::ResolveIpv4(remote_host_, error);
  if (found.empty()) {
    SetStatus(kError, error);
    return false;
  }
  address = found.front();
  return true;
}

void UniSock::OnWrite() {
  if (send_.Empty()) return;
  if (protocol_ == kUdp) {
    uint32_t address = 0;
    if (!ResolveTarget(address)) {
      send_.Clear();
      return;
    }
    size_t sent = 0;
    int32_t error = socket_.SendTo(send_.Data(), send_.Size(),
                                   {address, static_cast<uint16_t>(remote_port_)}, sent);
    if (error == platform::kWsaEWouldBlock) return;  // sent when the socket has room
    // A datagram that failed is dropped, so that it does not block every later one.
    send_.Clear();
    if (error != 0) SetStatus(kError, error);
    return;
  }

  const size_t chunk = static_cast<size_t>(std::max(send_chunk_, 1));
  while (!send_.Empty()) {
    size_t sent = 0;
    int32_t error = socket_.Send(send_.Data(), std::min(send_.Size(), chunk), sent);
    if (error == platform::kWsaEWouldBlock) {
      Raise(on_send_progress_, static_cast<int32_t>(std::min<size_t>(send_progress_, INT32_MAX)),
            static_cast<int32_t>(std::min<size_t>(send_.Size(), INT32_MAX)));
      return;
    }
    if (error != 0) {
      Alive alive = alive_;
      SetStatus(kError, error);
      if (!alive.expired() && close_when_sent_) CloseSocket();
      return;
    }
    send_.Consume(sent);
    send_progress_ += sent;
  }
  const size_t total = send_progress_;
  send_progress_ = 0;
  send_.Clear();
  if (!Raise(on_send_progress_, static_cast<int32_t>(std::min<size_t>(total, INT32_MAX)), 0)) {
    return;
  }
  if (Raise(on_send_complete_) && close_when_sent_) CloseSocket();
}

// --- Reading

bool UniSock::GetData(Data& data, int32_t var_type, int32_t max_len) {
  return ReadData(data, var_type, max_len, false);
}

bool UniSock::PeekData(Data& data, int32_t var_type, int32_t max_len) {
  return ReadData(data, var_type, max_len, true);
}

bool UniSock::ReadData(Data& data, int32_t var_type, int32_t max_len, bool peek) {
  const char* member = peek ? "PeekData" : "GetData";
  const int32_t type = data.IsEmpty() ? var_type : data.Type();
  const bool udp = protocol_ == kUdp;
  if (udp ? state_ != kOpen : (state_ != kConnected || mode_ != 0)) {
    throw UniSockError(kErrWrongProtocolOrState, member);
  }
  // Checked before reading, so that an unsupported type loses no data.
  if (!IsConvertibleType(type)) throw UniSockError(kErrUnsupportedType, member);

  size_t count = 0;
  if (udp) {
    uint32_t waiting = 0;
    if (socket_.AvailableBytes(waiting) == 0) count = waiting;
  } else {
    count = receive_.Size();
  }
  if (max_len >= 1) count = std::min(count, static_cast<size_t>(max_len));
  // A scalar takes no more than its own bytes of TCP data; the rest stays for later
  // reads. A datagram is read whole (a shorter read would fail and lose it), and the
  // scalar comes from its first bytes.
  if (size_t scalar = ScalarSize(type); scalar != 0 && !udp) count = std::min(count, scalar);
  if (count == 0) return false;

  std::string bytes;
  if (udp) {
    bytes.resize(count);
    size_t received = 0;
    int32_t error = socket_.Recv(reinterpret_cast<uint8_t*>(bytes.data()), count, peek, received);
    // A datagram too long for the read is used up all the same.
    if (!peek && (error == 0 || error == platform::kWsaEMsgSize)) ++datagrams_taken_;
    if (error != 0) {
      SetStatus(kError, error, "GetData");
      return false;
    }
    bytes.resize(received);
  } else {
    bytes.assign(reinterpret_cast<const char*>(receive_.Data()), count);
    if (!peek) {
      receive_.Consume(count);
      lines_.Reset();
      if (read_stalled_ && receive_.Size() < kReceiveLimit) {
        read_stalled_ = false;
        PostToSelf(platform::kFdRead);
      }
    }
  }
  data = *DataFromBytes(type, bytes);
  return true;
}

// --- Sending

// The checks before a send: a UDP socket is bound first, a TCP one must be connected.
bool UniSock::PrepareSend(const char* member) {
  if (protocol_ == kUdp) return state_ == kOpen || Connect();
  if (state_ != kConnected) throw UniSockError(kErrWrongProtocolOrState, member);
  return true;
}

bool UniSock::SendData(const Data& data) {
  std::optional<std::vector<uint8_t>> bytes = DataToBytes(data);
  if (!bytes) throw UniSockError(kErrUnsupportedType, "SendData");
  if (!PrepareSend("SendData") || bytes->empty()) return false;
  return QueueAndSend(*bytes);
}

bool UniSock::SendText(const std::string& text, int32_t text_format) {
  std::string line = text + std::string(LineBreakBytes(line_change_));
  std::string bytes;
  if (text_format == 0) {
    bytes = SanitizeUtf8(line);
  } else if (text_format == 1) {
    bytes = Utf8ToAnsi(line);
  } else {
    bytes = Utf8ToUtf16Le(line);
  }
  if (!PrepareSend("SendText") || bytes.empty()) return false;
  return QueueAndSend(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool UniSock::QueueAndSend(const std::vector<uint8_t>& bytes) {
  send_.Append(bytes.data(), bytes.size());
  OnWrite();
  return true;
}

}  // namespace quarnel::net
