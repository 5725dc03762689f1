#include "net/UniSock.h"
#include "net/tests/Peers.h"
#include "net/tests/UniSockTestSupport.h"
#include "platform/sockets/tests/PrivateNetwork.h"

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::net {
namespace {

using namespace std::string_literals;
using std::chrono::milliseconds;
using testing::EventLog;
using testing::RunUntil;
using testing::UdpPeer;

// A UDP receiver bound to the machine's primary address on a port of its own.
struct Receiver {
  UniSock sock;
  EventLog log;
  std::vector<int32_t> arrivals;

  explicit Receiver(platform::WindowTable& windows) : sock(windows) {
    log.Attach(sock);
    sock.SetProtocol(UniSock::kUdp);
    EXPECT_TRUE(sock.Bind());
    EXPECT_EQ(sock.State(), UniSock::kOpen);
  }
  uint16_t Port() const { return static_cast<uint16_t>(sock.LocalPort()); }
};

std::string Text(const Data& data) {
  const auto& bytes = data.AsBytes();
  return std::string(bytes.begin(), bytes.end());
}

// Bound without an address, a receiver listens where other machines reach this one. A
// host name that stands for loopback only (as Debian's /etc/hosts makes it; in these
// networks the name is "localhost") gives way to the address of the interface with the
// default route, else to that of the first interface that is up.
TEST(UniSockUdpTest, BindWithoutAddressListensOnTheNetworkAddressWhenTheNameIsLoopback) {
  struct Case {
    const char* what;
    sockets_testing::NetworkShape shape;
    const char* address;
  };
  const Case cases[] = {
      {"192.0.2.10/24 and the default route on lo", {true, true}, "192.0.2.10"},
      {"192.0.2.10/24 on lo, no default route", {true, false}, "192.0.2.10"},
      {"loopback only", {false, false}, "127.0.0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sockets_testing::ScopedPrivateNetwork network(c.shape);
    if (!network.Entered()) GTEST_SKIP() << "no private network: " << network.Why();
    platform::EventLoop loop;
    platform::WindowTable windows(loop);
    EXPECT_EQ(UniSock(windows).LocalIP(), c.address);  // not bound yet
    Receiver receiver(windows);
    EXPECT_EQ(receiver.sock.LocalIP(), c.address);
    EXPECT_GT(receiver.sock.LocalPort(), 0);
    EXPECT_EQ(receiver.log.statuses, (std::vector<int32_t>{UniSock::kOpen}));
    std::vector<int32_t> sizes;
    receiver.sock.OnDataArrival([&](int32_t total) { sizes.push_back(total); });
    UdpPeer peer(c.address);
    ASSERT_TRUE(peer.SendTo(receiver.Port(), "hello"));
    EXPECT_TRUE(RunUntil(loop, [&] { return !sizes.empty(); }));
  }
}

TEST(UniSockUdpTest, HandlerThatReadsGetsEachDatagram) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  std::vector<std::string> got;
  receiver.sock.OnDataArrival([&](int32_t total) {
    receiver.arrivals.push_back(total);
    Data data;
    EXPECT_TRUE(receiver.sock.GetData(data, VarType::kByteArray, 513));
    got.push_back(Text(data));
  });
  UdpPeer peer;
  for (std::string message : {"first"s, std::string(513, 'F'), "third"s}) {
    size_t before = got.size();
    ASSERT_TRUE(peer.SendTo(receiver.Port(), message));
    ASSERT_TRUE(RunUntil(loop, [&] { return got.size() == before + 1; }));
    EXPECT_EQ(got.back(), message);
  }
  EXPECT_EQ(receiver.arrivals, (std::vector<int32_t>{5, 513, 5}));
}

TEST(UniSockUdpTest, DatagramNotReadByTheHandlerIsDropped) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  std::vector<int32_t> sizes;
  receiver.sock.OnDataArrival([&](int32_t total) { sizes.push_back(total); });
  UdpPeer peer;
  ASSERT_TRUE(peer.SendTo(receiver.Port(), std::string(28, 'x')));
  ASSERT_TRUE(RunUntil(loop, [&] { return sizes.size() == 1; }));
  loop.RunFor(milliseconds(20));
  EXPECT_EQ(sizes.size(), 1u);  // dropped: it does not come again
  EXPECT_EQ(receiver.sock.BytesReceived(), 0);
  ASSERT_TRUE(peer.SendTo(receiver.Port(), "next"));
  ASSERT_TRUE(RunUntil(loop, [&] { return sizes.size() == 2; }));
  EXPECT_EQ(sizes, (std::vector<int32_t>{28, 4}));
}

TEST(UniSockUdpTest, TwoWaitingDatagramsTheHandlerReadsEachInADataArrivalOfItsOwn) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  std::vector<std::string> got;
  receiver.sock.OnDataArrival([&](int32_t total) {
    receiver.arrivals.push_back(total);
    Data data = Data::ByteArray({});
    if (receiver.sock.GetData(data)) got.push_back(Text(data));
  });
  UdpPeer peer;
  ASSERT_TRUE(peer.SendTo(receiver.Port(), "one"));
  ASSERT_TRUE(peer.SendTo(receiver.Port(), "second"));
  ASSERT_TRUE(RunUntil(loop, [&] { return got.size() == 2; }));
  loop.RunFor(milliseconds(20));
  EXPECT_EQ(got, (std::vector<std::string>{"one", "second"}));
  EXPECT_EQ(receiver.arrivals, (std::vector<int32_t>{3, 6}));
}

// A program busy elsewhere (the DMX server writing a frame) reads nothing for a while; a
// burst larger than the system's usual receive buffer (208 KiB) waits for it whole.
TEST(UniSockUdpTest, ABurstThatArrivesWhileTheProgramIsBusyWaitsToBeRead) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  size_t got = 0;
  receiver.sock.OnDataArrival([&](int32_t) {
    Data data;
    if (receiver.sock.GetData(data, VarType::kByteArray)) ++got;
  });
  UdpPeer peer;
  constexpr size_t kBurst = 120;  // 168 000 bytes, about 300 KiB as the system counts
  for (size_t i = 0; i < kBurst; ++i)
    ASSERT_TRUE(peer.SendTo(receiver.Port(), std::string(1400, 'b')));
  EXPECT_TRUE(RunUntil(loop, [&] { return got == kBurst; })) << got << " of " << kBurst;
}

// A program that was busy catches up at once: every datagram waiting raises its event in
// the same turn of the loop, before a tick that falls due then.
TEST(UniSockUdpTest, DatagramsWaitingTogetherAreAllHandledInOneTurnOfTheLoop) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  std::vector<std::string> got;
  receiver.sock.OnDataArrival([&](int32_t) {
    Data data = Data::ByteArray({});
    if (receiver.sock.GetData(data)) got.push_back(Text(data));
  });
  UdpPeer peer;
  const std::vector<std::string> sent = {"1", "22", "333", "4444", "55555"};
  for (const std::string& d : sent) ASSERT_TRUE(peer.SendTo(receiver.Port(), d));
  std::this_thread::sleep_for(milliseconds(50));  // all five are there
  loop.RunOnce(loop.Now() + milliseconds(500));
  EXPECT_EQ(got, sent);
}

TEST(UniSockUdpTest, DatagramLongerThanTheReadFailsAndLeavesDataAlone) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  bool result = true;
  Data data = Data::ByteArray({1, 2, 3});
  receiver.sock.OnDataArrival([&](int32_t) { result = receiver.sock.GetData(data, 0, 513); });
  UdpPeer peer;
  ASSERT_TRUE(peer.SendTo(receiver.Port(), std::string(600, 'L')));
  ASSERT_TRUE(RunUntil(loop, [&] { return !receiver.log.errors.empty(); }));
  EXPECT_FALSE(result);
  EXPECT_EQ(data, Data::ByteArray({1, 2, 3}));
  EXPECT_EQ(receiver.log.statuses.back(), UniSock::kError);
  EXPECT_EQ(receiver.sock.State(), UniSock::kOpen);  // status 9 does not change State
  const SocketErrorInfo& error = receiver.log.errors.front();
  EXPECT_EQ(error.number, 10040);
  EXPECT_EQ(error.description, "Message too long.");
  EXPECT_EQ(error.source, "UniSock.GetData");
}

TEST(UniSockUdpTest, ANumberComesFromTheFirstBytesOfALongerDatagram) {
  struct Case {
    int32_t type;
    std::string datagram;
    Data expected;
  };
  const Case cases[] = {
      {VarType::kLong, "\x0A\x00\x00\x00rest!!"s, Data::Long(10)},
      {VarType::kInteger, "\x01\x02\x03"s, Data::Integer(0x0201)},
      {VarType::kByte, std::string(513, '\x07'), Data::Byte(7)},
      {VarType::kLong, "\x05\x01"s, Data::Long(0x0105)},  // shorter: the bytes there are
  };
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  UdpPeer peer;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.datagram.size());
    std::optional<Data> got;
    receiver.sock.OnDataArrival([&](int32_t) {
      Data data;
      if (receiver.sock.GetData(data, c.type)) got = data;
    });
    ASSERT_TRUE(peer.SendTo(receiver.Port(), c.datagram));
    ASSERT_TRUE(RunUntil(loop, [&] { return got.has_value(); }));
    EXPECT_EQ(*got, c.expected);
    EXPECT_EQ(receiver.sock.BytesReceived(), 0);  // the datagram was read whole
  }
  EXPECT_TRUE(receiver.log.errors.empty());
}

TEST(UniSockUdpTest, PeekLeavesTheDatagramForTheRead) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver receiver(windows);
  std::string peeked, read;
  receiver.sock.OnDataArrival([&](int32_t) {
    Data a, b;
    ASSERT_TRUE(receiver.sock.PeekData(a, VarType::kString));
    ASSERT_TRUE(receiver.sock.GetData(b, VarType::kString));
    peeked = a.AsString();
    read = b.AsString();
  });
  UdpPeer peer;
  ASSERT_TRUE(peer.SendTo(receiver.Port(), "same"));
  ASSERT_TRUE(RunUntil(loop, [&] { return !read.empty(); }));
  EXPECT_EQ(peeked, "same");
  EXPECT_EQ(read, "same");
}

TEST(UniSockUdpTest, SendDataOfALongSendsFourLittleEndianBytesToRemoteHostAndPort) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UdpPeer peer;
  UniSock sender(windows);
  sender.SetProtocol(UniSock::kUdp);
  ASSERT_TRUE(sender.Connect(peer.Address(), peer.Port()));  // binds; nothing is connected
  EXPECT_EQ(sender.State(), UniSock::kOpen);
  ASSERT_TRUE(sender.SendData(Data::Long(0x01020304)));
  EXPECT_EQ(peer.Receive(), "\x04\x03\x02\x01"s);
  // Without Connect first: SendData binds on its own.
  UniSock second(windows);
  second.SetProtocol(UniSock::kUdp);
  second.SetRemoteHost(peer.Address());
  second.SetRemotePort(peer.Port());
  ASSERT_TRUE(second.SendData(Data::String("hi")));
  EXPECT_EQ(peer.Receive(), "hi");
  EXPECT_FALSE(second.SendData(Data::String("")));  // nothing to send
}

TEST(UniSockUdpTest, ConnectToZeroMeansTheBroadcastAddress) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock sender(windows);
  sender.SetProtocol(UniSock::kUdp);
  ASSERT_TRUE(sender.Connect("0", 15999));
  EXPECT_EQ(sender.RemoteHost(), "-1");
  EXPECT_EQ(platform::InetAddr(sender.RemoteHost()), platform::kInetNone);  // 255.255.255.255
}

TEST(UniSockUdpTest, UnknownHostNameIsReportedNotBroadcast) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock sender(windows);
  EventLog log;
  log.Attach(sender);
  sender.SetProtocol(UniSock::kUdp);
  ASSERT_TRUE(sender.Connect("no-such-host.invalid", 15999));
  EXPECT_TRUE(sender.SendData(Data::Long(1)));
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_GE(log.errors[0].number, 11001);
  EXPECT_LE(log.errors[0].number, 11004);
  // The failed datagram is dropped and does not hold up later ones.
  UdpPeer peer("127.0.0.1");
  sender.SetRemoteHost("localhost");
  sender.SetRemotePort(peer.Port());
  EXPECT_TRUE(sender.SendData(Data::Long(2)));
  EXPECT_EQ(peer.Receive(), "\x02\x00\x00\x00"s);
}

TEST(UniSockUdpTest, SecondBindOfAPortInUseFailsWithStatusNine) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  Receiver first(windows);
  UniSock second(windows);
  EventLog log;
  log.Attach(second);
  second.SetProtocol(UniSock::kUdp);
  second.SetLocalPort(first.sock.LocalPort());
  EXPECT_FALSE(second.Bind());
  EXPECT_EQ(second.State(), UniSock::kClosed);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0].number, 10048);
  EXPECT_EQ(log.errors[0].source, "UniSock.Private_Bind");
}

TEST(UniSockUdpTest, HandlerMayDestroyTheReceiver) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  auto receiver = std::make_unique<Receiver>(windows);
  uint16_t port = receiver->Port();
  int calls = 0;
  receiver->sock.OnDataArrival([&](int32_t) {
    ++calls;
    receiver.reset();  // as a shut-down datagram releases its server
  });
  UdpPeer peer;
  ASSERT_TRUE(peer.SendTo(port, std::string(28, 'q')));
  ASSERT_TRUE(RunUntil(loop, [&] { return receiver == nullptr; }));
  ASSERT_TRUE(peer.SendTo(port, "after"));
  loop.RunFor(milliseconds(20));
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace quarnel::net
