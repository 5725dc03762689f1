// The socket layer on loopback: addresses as text, datagram reads that do not fit, and
// the network events posted to a window, each once until the call that re-enables it.
#include "platform/loop/EventLoop.h"
#include "platform/sockets/AsyncGetHostByName.h"
#include "platform/sockets/Ipv4.h"
#include "platform/sockets/Socket.h"
#include "platform/sockets/SocketErrors.h"
#include "platform/window/MessageWindow.h"
#include "platform/window/WindowTable.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

constexpr uint32_t kSocketMessage = 2049;
constexpr std::chrono::seconds kPatience{5};

TEST(SocketTest, DottedTextAndInetAddr) {
  struct Case {
    const char* text;
    std::optional<const char*> strict;  // what ParseDotted gives, as dotted text
    const char* inet;                   // what InetAddr gives, as dotted text
  } cases[] = {
      {"127.0.0.1", "127.0.0.1", "127.0.0.1"},
      {"192.168.1.20", "192.168.1.20", "192.168.1.20"},
      {"255.255.255.255", "255.255.255.255", "255.255.255.255"},
      {"127.1", std::nullopt, "127.0.0.1"},  // the short form only inet_addr reads
      {"256.0.0.1", std::nullopt, "255.255.255.255"},
      {"localhost", std::nullopt, "255.255.255.255"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<uint32_t> strict = ParseDotted(c.text);
    EXPECT_EQ(strict.has_value(), c.strict.has_value());
    if (strict && c.strict) {
      EXPECT_EQ(DottedText(*strict), *c.strict);
    }
    EXPECT_EQ(DottedText(InetAddr(c.text)), c.inet);
  }
}

TEST(SocketTest, MessageParamCarriesEventAndError) {
  for (auto [event, error] : {std::pair<uint32_t, int32_t>{kFdRead, 0},
                              {kFdClose, 10053},
                              {kFdConnect, kWsaEConnRefused},
                              {kFdAccept, 0}}) {
    const int64_t lparam = SocketMessageParam(event, error);
    EXPECT_EQ(SocketMessageEvent(lparam), event);
    EXPECT_EQ(SocketMessageError(lparam), error);
  }
}

// Two UDP sockets on loopback, the second sending to the first.
struct UdpPair {
  Socket receiver, sender;
  Ipv4Address to;

  UdpPair() {
    int32_t error = 0;
    receiver = Socket::Create(SocketKind::kUdp, error);
    sender = Socket::Create(SocketKind::kUdp, error);
    EXPECT_EQ(receiver.Bind({*ParseDotted("127.0.0.1"), 0}), 0);
    EXPECT_EQ(receiver.LocalAddress(to), 0);
  }
  void Send(size_t size) {
    const std::vector<uint8_t> bytes(size, 0x5A);
    size_t sent = 0;
    ASSERT_EQ(sender.SendTo(bytes.data(), bytes.size(), to, sent), 0);
    ASSERT_EQ(sent, size);
  }
};

TEST(SocketTest, DatagramThatDoesNotFitFailsAndIsUsedUpUnlessPeeked) {
  struct Case {
    size_t datagram, buffer;
    bool peek;
    int32_t error;
    size_t received;
    bool still_waiting;
  } cases[] = {
      {513, 513, false, 0, 513, false},
      {513, 1024, false, 0, 513, false},
      {513, 512, false, kWsaEMsgSize, 512, false},
      {513, 512, true, kWsaEMsgSize, 512, true},
      {513, 513, true, 0, 513, true},
      {0, 16, false, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.datagram) + " into " + std::to_string(c.buffer) +
                 (c.peek ? " peeked" : ""));
    UdpPair pair;
    pair.Send(c.datagram);
    std::vector<uint8_t> buffer(c.buffer);
    size_t received = 0;
    EventLoop loop;  // only to wait for the datagram to arrive
    loop.RunUntil(
        [&] {
          uint32_t waiting = 0;
          return pair.receiver.AvailableBytes(waiting) == 0 && (waiting > 0 || c.datagram == 0);
        },
        kPatience);
    EXPECT_EQ(pair.receiver.Recv(buffer.data(), buffer.size(), c.peek, received), c.error);
    EXPECT_EQ(received, c.received);
    uint32_t waiting = 0;
    ASSERT_EQ(pair.receiver.AvailableBytes(waiting), 0);
    EXPECT_EQ(waiting > 0, c.still_waiting);
  }
}

class EventWindow : public MessageWindow {
 public:
  using MessageWindow::MessageWindow;
  void WindowProc(const WindowMessage& message) override {
    if (message.message == kSocketMessage) events.push_back(SocketMessageEvent(message.lparam));
  }
  std::vector<uint32_t> events;
};

TEST(SocketTest, EachNetworkEventIsPostedOnceUntilReenabled) {
  EventLoop loop;
  WindowTable windows(loop);
  EventWindow window(windows);
  UdpPair pair;
  ASSERT_EQ(pair.receiver.AsyncSelect(windows, window.Handle(), kSocketMessage, kFdRead), 0);
  pair.Send(4);
  pair.Send(4);
  loop.RunUntil([&] { return !window.events.empty(); }, kPatience);
  loop.RunFor(std::chrono::milliseconds(50));
  // Two datagrams waiting, one FD_READ until a read re-enables it.
  EXPECT_EQ(window.events, std::vector<uint32_t>{kFdRead});
  uint8_t buffer[16];
  size_t received = 0;
  ASSERT_EQ(pair.receiver.Recv(buffer, sizeof buffer, false, received), 0);
  loop.RunUntil([&] { return window.events.size() == 2; }, kPatience);
  EXPECT_EQ(window.events, (std::vector<uint32_t>{kFdRead, kFdRead}));
}

TEST(SocketTest, TcpConnectionReportsAcceptConnectWriteAndCloseOnce) {
  EventLoop loop;
  WindowTable windows(loop);
  EventWindow server_window(windows), client_window(windows);
  const uint32_t all = kFdRead | kFdWrite | kFdAccept | kFdConnect | kFdClose;
  int32_t error = 0;
  Socket listener = Socket::Create(SocketKind::kTcp, error);
  ASSERT_EQ(listener.Bind({*ParseDotted("127.0.0.1"), 0}), 0);
  ASSERT_EQ(listener.Listen(5), 0);
  ASSERT_EQ(listener.AsyncSelect(windows, server_window.Handle(), kSocketMessage, all), 0);
  Ipv4Address address;
  ASSERT_EQ(listener.LocalAddress(address), 0);

  Socket client = Socket::Create(SocketKind::kTcp, error);
  ASSERT_EQ(client.AsyncSelect(windows, client_window.Handle(), kSocketMessage, all), 0);
  const int32_t connect = client.Connect(address);
  EXPECT_TRUE(connect == 0 || connect == kWsaEWouldBlock) << connect;
  loop.RunUntil([&] { return !server_window.events.empty() && client_window.events.size() >= 2; },
                kPatience);
  EXPECT_EQ(server_window.events, std::vector<uint32_t>{kFdAccept});
  EXPECT_EQ(client_window.events, (std::vector<uint32_t>{kFdConnect, kFdWrite}));

  Ipv4Address peer;
  Socket accepted = listener.Accept(peer, error);
  ASSERT_TRUE(accepted.Valid()) << error;
  ASSERT_EQ(accepted.Close(), 0);
  loop.RunUntil([&] { return client_window.events.size() >= 3; }, kPatience);
  loop.RunFor(std::chrono::milliseconds(50));
  EXPECT_EQ(client_window.events, (std::vector<uint32_t>{kFdConnect, kFdWrite, kFdClose}));
}

class LookupWindow : public MessageWindow {
 public:
  using MessageWindow::MessageWindow;
  void WindowProc(const WindowMessage& message) override {
    if (message.message == kSocketMessage) errors.push_back(SocketMessageError(message.lparam));
  }
  std::vector<int32_t> errors;
};

TEST(SocketTest, HostLookupAnswersOnceWithAMessageAndNeverAfterItHasGone) {
  struct Case {
    const char* name;
    int32_t error;
    bool loopback;  // 127.0.0.1 among the addresses
  } cases[] = {
      {"localhost", 0, true},
      {"127.0.0.1", 0, true},
      {"", kWsaHostNotFound, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EventLoop loop;
    WindowTable windows(loop);
    LookupWindow window(windows);
    int32_t error = -1;
    auto lookup =
        AsyncGetHostByName::Start(windows, window.Handle(), kSocketMessage, c.name, error);
    ASSERT_NE(lookup, nullptr);
    EXPECT_EQ(error, 0);
    loop.RunUntil([&] { return !window.errors.empty(); }, kPatience);
    loop.RunFor(std::chrono::milliseconds(20));
    EXPECT_EQ(window.errors, std::vector<int32_t>{c.error});
    const std::vector<uint32_t> found = lookup->Addresses();
    EXPECT_EQ(std::count(found.begin(), found.end(), *ParseDotted("127.0.0.1")) == 1, c.loopback);
  }

  EventLoop loop;
  WindowTable windows(loop);
  LookupWindow window(windows);
  int32_t error = 0;
  auto lookup =
      AsyncGetHostByName::Start(windows, window.Handle(), kSocketMessage, "localhost", error);
  ASSERT_NE(lookup, nullptr);
  lookup.reset();
  loop.RunFor(std::chrono::milliseconds(200));
  EXPECT_TRUE(window.errors.empty());
}

}  // namespace
}  // namespace quarnel::platform
