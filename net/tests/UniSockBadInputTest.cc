// Input nobody should send: every datagram size, garbage, peers that vanish or never
// read. Nothing may crash or leak (the sanitizer build checks), and the loop keeps
// serving.
#include "net/UniSock.h"
#include "net/tests/Peers.h"
#include "net/tests/TcpServer.h"
#include "net/tests/UniSockTestSupport.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::net {
namespace {

using std::chrono::milliseconds;
using testing::EventLog;
using testing::RunUntil;
using testing::TcpPeer;
using testing::TcpServer;
using testing::UdpPeer;

TEST(UniSockBadInputTest, DatagramsOfEverySizeFromZeroToTheLargest) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock receiver(windows);
  receiver.SetProtocol(UniSock::kUdp);
  ASSERT_TRUE(receiver.Bind(0, "127.0.0.1"));
  const auto port = static_cast<uint16_t>(receiver.LocalPort());

  std::string pattern(65507, '\0');
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 31 + 7);
  size_t handled = 0, wrong = 0, last_size = 0;
  receiver.OnDataArrival([&](int32_t total) {
    Data data;
    if (!receiver.GetData(data, VarType::kByteArray)) return;
    const auto& bytes = data.AsBytes();
    last_size = bytes.size();
    if (static_cast<size_t>(total) != bytes.size() ||
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()) !=
            std::string_view(pattern).substr(0, bytes.size())) {
      ++wrong;
    }
    ++handled;
  });

  UdpPeer sender("127.0.0.1");
  const auto deadline = platform::EventLoop::Now() + std::chrono::seconds(240);
  for (size_t size = 0; size <= pattern.size(); ++size) {
    ASSERT_TRUE(sender.SendTo(port, pattern.substr(0, size))) << size;
    if (size == 0) continue;  // an empty datagram raises nothing and is dropped
    ASSERT_TRUE(loop.RunUntil([&] { return handled == size; }, testing::kPatience)) << size;
    ASSERT_EQ(last_size, size);
    ASSERT_LT(platform::EventLoop::Now(), deadline) << "stopped at size " << size;
  }
  EXPECT_EQ(wrong, 0u);
}

TEST(UniSockBadInputTest, GarbageFromTcpPeersLeavesTheServerServing) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  int text_lines = 0;
  size_t bytes = 0;
  server.prepare = [&](UniSock& sock) {
    UniSock* raw = &sock;
    // Every other connection in text mode.
    if (server.connections.size() % 2 == 0) sock.SetMode(1);
    sock.OnTextArrival([&](std::string&, LineBreak, bool) { ++text_lines; });
    sock.OnDataArrival([&, raw](int32_t) {
      Data data;
      if (raw->GetData(data, VarType::kByteArray)) bytes += data.AsBytes().size();
    });
    sock.OnClosing([raw] { raw->CloseSocket(); });
  };
  std::mt19937 random(20240611);
  for (int round = 0; round < 40; ++round) {
    TcpPeer peer(server.Port());
    std::string junk(random() % 70000, '\0');
    for (char& c : junk) c = static_cast<char>(random());
    peer.Send(junk);
    loop.RunFor(milliseconds(2));
    switch (round % 3) {
      case 0:
        peer.Close();
        break;
      case 1:
        peer.Reset();
        break;
      case 2:
        peer.ShutdownWrite();
        break;
    }
  }
  loop.RunFor(milliseconds(50));

  // A well-behaved client still gets an answer.
  std::string answer;
  server.prepare = [&](UniSock& sock) {
    UniSock* raw = &sock;
    sock.OnDataArrival([raw](int32_t total) {
      Data request;
      if (raw->GetData(request, VarType::kString, total)) raw->SendText("pong", 1);
    });
  };
  TcpPeer good(server.Port());
  ASSERT_TRUE(good.Send("ping"));
  answer = good.Read(6, 0);
  for (int i = 0; i < 100 && answer.size() < 6; ++i) {
    loop.RunFor(milliseconds(10));
    answer += good.Read(6 - answer.size(), 0);
  }
  EXPECT_EQ(answer, "pong\r\n");
  EXPECT_GT(bytes + static_cast<size_t>(text_lines), 0u);
}

TEST(UniSockBadInputTest, PeerClosingHalfWayThroughALine) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  std::vector<std::string> lines;
  bool closing = false;
  server.prepare = [&](UniSock& sock) {
    sock.SetMode(1);
    sock.OnTextArrival([&](std::string& text, LineBreak, bool) { lines.push_back(text); });
    sock.OnClosing([&] { closing = true; });
  };
  {
    TcpPeer peer(server.Port());
    peer.Send("whole line\r\nhalf a li");
  }
  ASSERT_TRUE(RunUntil(loop, [&] { return closing; }));
  EXPECT_EQ(lines, (std::vector<std::string>{"whole line"}));
  UniSock& sock = *server.connections[0];
  EXPECT_EQ(sock.State(), UniSock::kClosed);
  EXPECT_EQ(sock.BytesReceived(), 0);
}

TEST(UniSockBadInputTest, PeerResettingTheConnectionIsReported) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  EventLog log;
  server.prepare = [&](UniSock& sock) { log.Attach(sock); };
  TcpPeer peer(server.Port());
  ASSERT_TRUE(server.WaitForConnections(1));
  ASSERT_TRUE(RunUntil(loop, [&] { return !log.statuses.empty(); }));
  peer.Reset();
  ASSERT_TRUE(RunUntil(loop, [&] { return !log.errors.empty() || log.statuses.back() == 0; }));
  if (!log.errors.empty()) {
    EXPECT_EQ(log.errors[0].number, 10054);
    EXPECT_EQ(log.errors[0].source, "UniSock.WndProc");
  }
  // The loop does not spin on the dead socket, and closing it works.
  loop.RunOnce(platform::EventLoop::Now() + milliseconds(50));
  UniSock& sock = *server.connections[0];
  if (sock.State() != UniSock::kClosed) {
    EXPECT_TRUE(sock.CloseSocket());
  }
  EXPECT_EQ(sock.State(), UniSock::kClosed);
}

TEST(UniSockBadInputTest, PeerThatNeverReads) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  TcpServer server(windows);
  TcpPeer sleeper(server.Port(), 4096);
  ASSERT_TRUE(server.WaitForConnections(1));
  UniSock& sock = *server.connections[0];
  int32_t remaining = 0;
  bool complete = false;
  sock.OnSendProgress([&](int32_t, int32_t left) { remaining = left; });
  sock.OnSendComplete([&] { complete = true; });
  ASSERT_TRUE(sock.SendData(Data::ByteArray(std::vector<uint8_t>(16 << 20, 'z'))));
  loop.RunFor(milliseconds(100));
  EXPECT_FALSE(complete);
  EXPECT_GT(remaining, 0);
  EXPECT_TRUE(sock.CloseSocket());  // unsent data is given up, nothing hangs

  // Others are still served.
  std::string echoed;
  server.prepare = [&](UniSock& s) {
    s.OnDataArrival([&, raw = &s](int32_t) {
      Data data;
      raw->GetData(data, VarType::kString);
      echoed += data.AsString();
    });
  };
  TcpPeer next(server.Port());
  ASSERT_TRUE(next.Send("still here"));
  ASSERT_TRUE(RunUntil(loop, [&] { return echoed == "still here"; }));
}

}  // namespace
}  // namespace quarnel::net
