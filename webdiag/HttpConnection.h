// One accepted connection of the web server: it reads the request, has every channel the
// request asks for tested and answered, and closes once the whole answer has gone.
//
// A connection also ends when its request is refused or ends without asking for a
// channel (no answer then), when the peer fails, when the request is not complete
// within 10 seconds, half a second after the answer has gone when the request's header
// still has not ended, and when an answer makes no progress for 10 seconds (a peer that
// never reads). A peer that closes its sending side still gets the whole answer. The owner learns
// of the end from a message posted to the loop, never from inside the connection's own events, so
// it may destroy the connection there. Everything runs on the loop's thread.
#pragma once

#include "net/UniSock.h"
#include "platform/loop/EventLoop.h"
#include "platform/window/WindowTable.h"
#include "webdiag/RequestReader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quarnel::webdiag {

class HttpConnection {
 public:
  // Sends the test command for `channel` and returns the answer to send back.
  using ChannelHandler = std::function<std::string(int32_t channel)>;
  using EndedHandler = std::function<void(HttpConnection&)>;

  // How long a request may take to arrive, and an answer may make no progress.
  static constexpr std::chrono::milliseconds kTimeLimit{10000};
  // How long the rest of a request's header is waited for once its answer has gone.
  static constexpr std::chrono::milliseconds kAfterAnswer{500};

  HttpConnection(platform::WindowTable& windows, ChannelHandler on_channel, EndedHandler on_ended,
                 std::chrono::milliseconds time_limit = kTimeLimit);
  ~HttpConnection();
  HttpConnection(const HttpConnection&) = delete;
  HttpConnection& operator=(const HttpConnection&) = delete;

  // Takes over the connection waiting at a listener (from its ConnectionRequest).
  bool Accept(int32_t request_id);
  // Closes the connection now, whatever it was doing; the end is reported as usual.
  void Close() { End(); }
  bool Ended() const { return ended_; }

 private:
  // Event handlers of the connection's socket.
  void oConnection_DataArrival(int32_t bytes_total);
  void oConnection_Closing();
  void oConnection_SendProgress(int32_t bytes_sent, int32_t bytes_remaining);
  void oConnection_SendComplete();
  void oConnection_StatusChange(int32_t status);

  // Sends the answers for `channels`; ends the connection when the request is done and
  // nothing is left to send.
  void Reply(const std::vector<int32_t>& channels);
  void EndWhenDone();
  void End();
  void ExtendDeadline();
  void SetDeadline(platform::TimePoint deadline);
  void ArmDeadline();
  void OnDeadline();

  platform::WindowTable& windows_;
  platform::EventLoop& loop_;
  ChannelHandler on_channel_;
  EndedHandler on_ended_;
  std::chrono::milliseconds time_limit_;
  std::chrono::milliseconds after_answer_;
  std::unique_ptr<net::UniSock> connection_;  // oConnection
  RequestReader reader_;
  bool sending_ = false;
  int32_t bytes_sent_ = 0;  // of the answer on its way
  bool ended_ = false;
  platform::TimePoint deadline_;
  platform::TimerId deadline_timer_ = 0;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quarnel::webdiag
