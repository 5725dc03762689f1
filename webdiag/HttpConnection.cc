#include "webdiag/HttpConnection.h"

#include "platform/base/Error.h"

#include <algorithm>
#include <string_view>

namespace quarnel::webdiag {

using net::UniSock;

HttpConnection::HttpConnection(platform::WindowTable& windows, ChannelHandler on_channel,
                               EndedHandler on_ended, std::chrono::milliseconds time_limit)
    : windows_(windows),
      loop_(windows.Loop()),
      on_channel_(std::move(on_channel)),
      on_ended_(std::move(on_ended)),
      time_limit_(time_limit),
      after_answer_(std::min(time_limit, kAfterAnswer)) {}

HttpConnection::~HttpConnection() {
  alive_.reset();
  if (deadline_timer_ != 0) loop_.CancelTimer(deadline_timer_);
}

bool HttpConnection::Accept(int32_t request_id) {
  connection_ = std::make_unique<UniSock>(windows_);
  connection_->OnDataArrival([this](int32_t total) { oConnection_DataArrival(total); });
  connection_->OnClosing([this] { oConnection_Closing(); });
  connection_->OnSendProgress(
      [this](int32_t sent, int32_t remaining) { oConnection_SendProgress(sent, remaining); });
  connection_->OnSendComplete([this] { oConnection_SendComplete(); });
  connection_->OnStatusChange([this](int32_t status) { oConnection_StatusChange(status); });
  // The request has this long to arrive.
  SetDeadline(platform::EventLoop::Now() + time_limit_);
  bool accepted = false;
  try {
    accepted = connection_->Accept(request_id);
  } catch (const Error&) {
    accepted = false;
  }
  if (!accepted) End();
  return accepted;
}

void HttpConnection::oConnection_DataArrival(int32_t) {
  if (ended_) return;
  net::Data data;
  try {
    if (!connection_->GetData(data, net::VarType::kByteArray)) return;
  } catch (const Error&) {
    return;
  }
  // What follows a complete request is read only to be dropped.
  if (reader_.CurrentState() != RequestReader::State::kReading) return;
  const std::vector<uint8_t>& bytes = data.AsBytes();
  std::vector<int32_t> channels;
  reader_.Read(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
               channels);
  Reply(channels);
}

void HttpConnection::oConnection_Closing() {
  if (ended_) return;
  // The peer has sent all it will (it may still read): an unfinished last line still
  // counts. The connection ends once every answer has gone, within the time limit.
  std::vector<int32_t> channels;
  reader_.End(channels);
  Reply(channels);
}

void HttpConnection::oConnection_SendProgress(int32_t bytes_sent, int32_t) {
  // Only bytes that went count as progress.
  if (bytes_sent > bytes_sent_) {
    bytes_sent_ = bytes_sent;
    ExtendDeadline();
  }
}

void HttpConnection::oConnection_SendComplete() {
  if (ended_) return;
  sending_ = false;
  bytes_sent_ = 0;
  // Answered, but the request's header goes on: what still comes is not waited for long.
  if (reader_.CurrentState() == RequestReader::State::kReading) {
    SetDeadline(std::min(deadline_, platform::EventLoop::Now() + after_answer_));
  }
  EndWhenDone();
}

void HttpConnection::oConnection_StatusChange(int32_t status) {
  // A failed read or send: the peer has gone or reset the connection. Closed: the socket
  // ended without this connection asking.
  if (status == UniSock::kError || status == UniSock::kClosed) End();
}

void HttpConnection::Reply(const std::vector<int32_t>& channels) {
  std::string answer;
  for (int32_t channel : channels) answer += on_channel_(channel);
  if (!answer.empty() && !ended_ && connection_->State() == UniSock::kConnected) {
    sending_ = true;
    ExtendDeadline();
    try {
      // SendComplete may come from inside this call, when the whole answer fits at once.
      connection_->SendData(
          net::Data::ByteArray(std::vector<uint8_t>(answer.begin(), answer.end())));
    } catch (const Error&) {
      End();
      return;
    }
  }
  EndWhenDone();
}

void HttpConnection::EndWhenDone() {
  if (!ended_ && !sending_ && reader_.CurrentState() != RequestReader::State::kReading) End();
}

void HttpConnection::End() {
  if (ended_) return;
  ended_ = true;
  if (deadline_timer_ != 0) {
    loop_.CancelTimer(deadline_timer_);
    deadline_timer_ = 0;
  }
  if (connection_ && connection_->State() != UniSock::kClosed) connection_->CloseSocket();
  std::weak_ptr<int> alive = alive_;
  loop_.Post([this, alive] {
    if (!alive.expired() && on_ended_) on_ended_(*this);
  });
}

void HttpConnection::ExtendDeadline() { deadline_ = platform::EventLoop::Now() + time_limit_; }

void HttpConnection::SetDeadline(platform::TimePoint deadline) {
  deadline_ = deadline;
  ArmDeadline();
}

void HttpConnection::ArmDeadline() {
  if (deadline_timer_ != 0) loop_.CancelTimer(deadline_timer_);
  std::weak_ptr<int> alive = alive_;
  deadline_timer_ = loop_.RunAt(deadline_, [this, alive] {
    if (!alive.expired()) OnDeadline();
  });
}

void HttpConnection::OnDeadline() {
  deadline_timer_ = 0;
  if (ended_) return;
  if (platform::EventLoop::Now() >= deadline_) {
    End();
    return;
  }
  ArmDeadline();
}

}  // namespace quarnel::webdiag
