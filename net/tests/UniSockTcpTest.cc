#include "net/UniSock.h"
#include "net/tests/Peers.h"
#include "net/tests/TcpServer.h"
#include "net/tests/UniSockTestSupport.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::net {
namespace {

using namespace std::string_literals;
using std::chrono::milliseconds;
using testing::EventLog;
using testing::RunUntil;
using testing::TcpPeer;
using testing::TcpServer;

TEST(UniSockTcpTest, ListenerStaysOpenAndAcceptedConnectionExchangesData) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows, "127.0.0.1");              // an address whose name every machine knows
  EXPECT_EQ(server.listener.State(), UniSock::kOpen);  // listening stays in state 1
  EXPECT_GT(server.Port(), 0);

  std::string request_ip;
  int32_t request_port = 0, connect_events = 0;
  std::string received;
  server.listener.OnConnectionRequest([&](int32_t id) {
    request_ip = server.listener.RequestIP();
    request_port = server.listener.RequestPort();
    auto sock = std::make_unique<UniSock>(windows);
    sock->OnConnect([&] { ++connect_events; });
    UniSock* raw = sock.get();
    sock->OnDataArrival([&, raw](int32_t total) {
      Data text;
      EXPECT_TRUE(raw->GetData(text, VarType::kString, total));
      received += text.AsString();
    });
    EXPECT_TRUE(sock->Accept(id));
    EXPECT_EQ(sock->State(), UniSock::kConnected);
    server.connections.push_back(std::move(sock));
  });

  TcpPeer client("127.0.0.1", server.Port());
  ASSERT_TRUE(client.Connected());
  ASSERT_TRUE(client.Send("GET /5 HTTP/1.1\r\n\r\n"));
  ASSERT_TRUE(RunUntil(loop, [&] { return received.size() == 19; }));
  EXPECT_EQ(received, "GET /5 HTTP/1.1\r\n\r\n");
  EXPECT_EQ(request_ip, "127.0.0.1");
  EXPECT_GT(request_port, 0);
  EXPECT_EQ(connect_events, 1);
  EXPECT_EQ(server.listener.RequestPort(), 0);  // nothing waits any more

  UniSock& connection = *server.connections[0];
  EXPECT_EQ(connection.RemoteHostIP(), "127.0.0.1");
  EXPECT_EQ(connection.RemotePort(), request_port);
  EXPECT_EQ(connection.RemoteHost(), "localhost");
  EXPECT_EQ(connection.LocalPort(), server.Port());
  ASSERT_TRUE(connection.SendText("HTTP/1.1 200 OK", 1));
  EXPECT_EQ(client.Read(17), "HTTP/1.1 200 OK\r\n");
}

TEST(UniSockTcpTest, LongFromTenBufferedBytesLeavesSix) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  TcpPeer client(server.Port());
  ASSERT_TRUE(client.Send("\x0A\x00\x00\x00rest!!"s));
  ASSERT_TRUE(server.WaitForConnections(1));
  UniSock& sock = *server.connections[0];
  ASSERT_TRUE(RunUntil(loop, [&] { return sock.BytesReceived() == 10; }));
  Data value;
  ASSERT_TRUE(sock.GetData(value, VarType::kLong));
  EXPECT_EQ(value.AsLong(), 10);
  EXPECT_EQ(sock.BytesReceived(), 6);
  Data peeked;
  ASSERT_TRUE(sock.PeekData(peeked, VarType::kString, 4));
  EXPECT_EQ(peeked.AsString(), "rest");
  EXPECT_EQ(sock.BytesReceived(), 6);
  Data lines;
  ASSERT_TRUE(sock.GetData(lines, VarType::kString | VarType::kArray));
  EXPECT_EQ(lines.AsStrings(), (std::vector<std::string>{"rest!!"}));
  EXPECT_FALSE(sock.GetData(lines, VarType::kString));  // nothing left: False, Data kept
  EXPECT_EQ(lines.AsStrings().size(), 1u);
}

TEST(UniSockTcpTest, EarlyDataReadWhileTheConnectionWaitsIsHandedToTheNewOwner) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock listener(windows);
  ASSERT_TRUE(listener.Listen());
  std::unique_ptr<UniSock> owner;
  std::vector<std::string> log;
  listener.OnConnectionRequest([&](int32_t id) {
    // The handler pumps messages before accepting: the data that arrives meanwhile is
    // kept with the waiting connection.
    loop.RunFor(milliseconds(50));
    owner = std::make_unique<UniSock>(windows);
    owner->OnDataArrival([&](int32_t total) { log.push_back("data " + std::to_string(total)); });
    log.push_back("accept");
    EXPECT_TRUE(owner->Accept(id));
    log.push_back("accepted");
  });
  TcpPeer client(static_cast<uint16_t>(listener.LocalPort()));
  ASSERT_TRUE(client.Send("early"));
  ASSERT_TRUE(RunUntil(loop, [&] { return log.size() >= 3; }));
  EXPECT_EQ(log, (std::vector<std::string>{"accept", "data 5", "accepted"}));
  EXPECT_EQ(owner->BytesReceived(), 5);
}

TEST(UniSockTcpTest, ConnectionArrivingWhileAHandlerPumpsWaitsItsTurn) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock listener(windows);
  ASSERT_TRUE(listener.Listen());
  const auto port = static_cast<uint16_t>(listener.LocalPort());
  std::vector<std::unique_ptr<UniSock>> accepted;
  std::unique_ptr<TcpPeer> second;
  std::vector<int32_t> ports;
  listener.OnConnectionRequest([&](int32_t id) {
    ports.push_back(listener.RequestPort());
    if (!second) {
      second = std::make_unique<TcpPeer>(port);  // arrives while this one waits
      loop.RunFor(milliseconds(30));
    }
    accepted.push_back(std::make_unique<UniSock>(windows));
    EXPECT_TRUE(accepted.back()->Accept(id));
  });
  TcpPeer first(port);
  ASSERT_TRUE(RunUntil(loop, [&] { return accepted.size() == 2; }));
  EXPECT_NE(ports[0], ports[1]);
  EXPECT_EQ(accepted[0]->State(), UniSock::kConnected);
  EXPECT_EQ(accepted[1]->State(), UniSock::kConnected);
}

TEST(UniSockTcpTest, NotificationsQueuedBeforeTheTakeOverReachTheNewOwnerInOrder) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  std::vector<std::string> log;
  server.prepare = [&](UniSock& sock) {
    UniSock* raw = &sock;
    sock.OnDataArrival([&log, raw](int32_t total) {
      Data data;
      raw->GetData(data, VarType::kString);
      log.push_back("data " + std::to_string(total) + " " + data.AsString());
    });
    sock.OnClosing([&log] { log.push_back("closing"); });
    sock.OnStatusChange([&log](int32_t s) { log.push_back("status " + std::to_string(s)); });
  };
  {
    // Data and the close are both there before the listener hears of the connection.
    TcpPeer client(server.Port());
    ASSERT_TRUE(client.Send("payload"));
  }
  ASSERT_TRUE(RunUntil(loop, [&] { return log.size() >= 5; }));
  EXPECT_EQ(log, (std::vector<std::string>{"status 7", "data 7 payload", "closing", "status 8",
                                           "status 0"}));
}

TEST(UniSockTcpTest, ConnectionNobodyAcceptsIsClosedAtOnce) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  server.accept = false;
  int requests = 0;
  server.listener.OnConnectionRequest([&](int32_t) { ++requests; });
  TcpPeer client(server.Port());
  ASSERT_TRUE(RunUntil(loop, [&] { return requests == 1; }));
  EXPECT_TRUE(client.SeesClose());
  EXPECT_EQ(server.listener.State(), UniSock::kOpen);
}

TEST(UniSockTcpTest, TextModeCutsLinesAtEachLineEnd) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  struct Line {
    std::string text;
    LineBreak line_change;
    bool ansi;
  };
  std::vector<Line> lines;
  server.prepare = [&](UniSock& sock) {
    sock.SetMode(1);
    sock.OnTextArrival([&](std::string& text, LineBreak line_change, bool ansi) {
      lines.push_back({text, line_change, ansi});
    });
  };
  TcpPeer client(server.Port());
  ASSERT_TRUE(client.Send("crlf\r\nlf\ncr\rcaf\xC3\xA9\ncaf\xE9\npartial"s));
  ASSERT_TRUE(RunUntil(loop, [&] { return lines.size() == 5; }));
  EXPECT_EQ(lines[0].text, "crlf");
  EXPECT_EQ(lines[0].line_change, LineBreak::kCrLf);
  EXPECT_EQ(lines[1].text, "lf");
  EXPECT_EQ(lines[1].line_change, LineBreak::kLf);
  EXPECT_EQ(lines[2].text, "cr");
  EXPECT_EQ(lines[2].line_change, LineBreak::kCr);
  EXPECT_EQ(lines[3].text, "caf\xC3\xA9");
  EXPECT_FALSE(lines[3].ansi);
  EXPECT_EQ(lines[4].text, "caf\xC3\xA9");  // read as ANSI text
  EXPECT_TRUE(lines[4].ansi);
  UniSock& sock = *server.connections[0];
  EXPECT_EQ(sock.BytesReceived(), 7);  // "partial" waits for its line end
  Data data;
  testing::ExpectRaises([&] { sock.GetData(data, VarType::kString); }, 40006, "UniSock.GetData");
  ASSERT_TRUE(client.Send(" line\r\n"));
  ASSERT_TRUE(RunUntil(loop, [&] { return lines.size() == 6; }));
  EXPECT_EQ(lines[5].text, "partial line");
  EXPECT_EQ(sock.BytesReceived(), 0);
}

TEST(UniSockTcpTest, SendLargerThanTheSocketBufferArrivesWholeWithProgress) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  TcpPeer client(server.Port(), /*receive_buffer=*/4096);
  ASSERT_TRUE(server.WaitForConnections(1));
  UniSock& sock = *server.connections[0];
  ASSERT_TRUE(RunUntil(loop, [&] { return sock.State() == UniSock::kConnected; }));

  std::vector<std::pair<int32_t, int32_t>> progress;
  int complete = 0;
  sock.OnSendProgress([&](int32_t sent, int32_t remaining) {
    progress.push_back({sent, remaining});
  });
  sock.OnSendComplete([&] { ++complete; });
  const size_t size = 8 << 20;
  std::vector<uint8_t> payload(size);
  for (size_t i = 0; i < size; ++i) payload[i] = static_cast<uint8_t>(i * 7 + i / 251);
  ASSERT_TRUE(sock.SendData(Data::ByteArray(payload)));
  ASSERT_FALSE(progress.empty());
  EXPECT_GT(progress.front().second, 0);  // the socket could not take it all at once
  EXPECT_EQ(complete, 0);

  std::string got;
  while (got.size() < size && complete == 0) {
    got += client.Read(size - got.size(), 0);
    loop.RunFor(milliseconds(1));
  }
  got += client.Read(size - got.size());
  ASSERT_TRUE(RunUntil(loop, [&] { return complete == 1; }));
  ASSERT_EQ(got.size(), size);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), payload.begin(),
                         [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
  EXPECT_EQ(progress.back(), (std::pair<int32_t, int32_t>{static_cast<int32_t>(size), 0}));
  for (size_t i = 0; i < progress.size(); ++i) {
    EXPECT_EQ(static_cast<size_t>(progress[i].first + progress[i].second), size);
    if (i > 0) {
      EXPECT_GE(progress[i].first, progress[i - 1].first);
    }
  }
}

TEST(UniSockTcpTest, CloseSocketGoesThroughClosingToClosedAndKeepsTheRemoteSide) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  TcpPeer client(server.Port());
  ASSERT_TRUE(server.WaitForConnections(1));
  UniSock& sock = *server.connections[0];
  EventLog log;
  log.Attach(sock);
  int32_t remote_port = sock.RemotePort();
  EXPECT_TRUE(sock.CloseSocket());
  EXPECT_EQ(log.statuses, (std::vector<int32_t>{UniSock::kClosing, UniSock::kClosed}));
  EXPECT_EQ(sock.State(), UniSock::kClosed);
  EXPECT_EQ(sock.SocketHandle(), -1);
  EXPECT_EQ(sock.LocalPort(), 0);
  EXPECT_EQ(sock.RemotePort(), remote_port);
  EXPECT_EQ(sock.RemoteHostIP(), testing::PrimaryText());
  EXPECT_FALSE(sock.CloseSocket());  // already closed
  EXPECT_TRUE(client.SeesClose());

  EXPECT_TRUE(server.listener.CloseSocket());
  EXPECT_EQ(server.listener.LocalPort(), 0);
}

TEST(UniSockTcpTest, ConnectByNameLooksTheHostUpThenConnects) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows, "127.0.0.1");
  UniSock client(windows);
  EventLog log;
  log.Attach(client);
  bool connected = false;
  client.OnConnect([&] { connected = true; });
  ASSERT_TRUE(client.Connect("localhost", server.Port()));
  EXPECT_EQ(client.State(), UniSock::kResolvingHost);
  ASSERT_TRUE(RunUntil(loop, [&] { return connected; }));
  EXPECT_EQ(log.statuses, (std::vector<int32_t>{UniSock::kResolvingHost, UniSock::kHostResolved,
                                                UniSock::kConnecting, UniSock::kConnected}));
  EXPECT_EQ(client.RemoteHostIP(), "127.0.0.1");
  EXPECT_EQ(client.RemotePort(), server.Port());
  EXPECT_EQ(client.RemoteHost(), "localhost");
  EXPECT_TRUE(log.errors.empty());
  ASSERT_TRUE(server.WaitForConnections(1));
}

TEST(UniSockTcpTest, RefusedConnectionIsReportedThroughTheEvents) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  uint16_t closed_port;
  {
    UniSock probe(windows);
    ASSERT_TRUE(probe.Listen());
    closed_port = static_cast<uint16_t>(probe.LocalPort());
  }
  UniSock client(windows);
  EventLog log;
  log.Attach(client);
  ASSERT_TRUE(client.Connect("127.0.0.1", closed_port));
  ASSERT_TRUE(RunUntil(loop, [&] { return !log.errors.empty(); }));
  EXPECT_EQ(log.errors[0].number, 10061);
  EXPECT_EQ(log.errors[0].description, "Connection refused.");
  EXPECT_EQ(log.errors[0].source, "UniSock.WndProc");
  EXPECT_EQ(client.State(), UniSock::kConnecting);
  EXPECT_TRUE(client.CloseSocket());
}

TEST(UniSockTcpTest, ConnectWithoutHostIsReported) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock client(windows);
  EventLog log;
  log.Attach(client);
  EXPECT_FALSE(client.Connect());
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].source, "UniSock.Connect");
  EXPECT_EQ(log.statuses, (std::vector<int32_t>{UniSock::kError}));
}

}  // namespace
}  // namespace quarnel::net
