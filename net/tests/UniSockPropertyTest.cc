#include "net/UniSock.h"
#include "net/UniSockErrors.h"
#include "net/tests/Peers.h"
#include "net/tests/UniSockTestSupport.h"

#include <gtest/gtest.h>

namespace quarnel::net {
namespace {

using testing::ExpectRaises;

TEST(UniSockPropertyTest, FreshObjectHasTheDefaults) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock sock(windows);
  EXPECT_EQ(sock.Protocol(), UniSock::kTcp);
  EXPECT_EQ(sock.State(), UniSock::kClosed);
  EXPECT_EQ(sock.SocketHandle(), -1);
  EXPECT_EQ(sock.RemotePort(), 80);
  EXPECT_EQ(sock.LocalPort(), 0);
  EXPECT_EQ(sock.LineChange(), LineBreak::kCrLf);
  EXPECT_EQ(sock.Mode(), 0);
  EXPECT_EQ(sock.RemoteHost(), "");
  EXPECT_EQ(sock.RequestIP(), "");
  EXPECT_EQ(sock.RequestPort(), 0);
  EXPECT_EQ(sock.BytesReceived(), 0);
  EXPECT_FALSE(sock.LocalHostname().empty());
  // Not bound: the machine's primary address.
  EXPECT_EQ(sock.LocalIP(), testing::PrimaryText());
}

TEST(UniSockPropertyTest, InvalidWritesAndCallsRaiseNumberDescriptionAndSource) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock closed_tcp(windows);
  UniSock bound_udp(windows);
  bound_udp.SetProtocol(UniSock::kUdp);
  ASSERT_TRUE(bound_udp.Bind(0, "127.0.0.1"));
  UniSock listening(windows);
  listening.SetLocalPort(0);
  ASSERT_TRUE(listening.Listen());

  struct Case {
    const char* what;
    std::function<void()> call;
    int32_t number;
    const char* source;
  };
  Data empty;
  const Case cases[] = {
      {"port too big", [&] { closed_tcp.SetRemotePort(70000); }, 40014, "UniSock.RemotePort"},
      {"negative port", [&] { closed_tcp.SetLocalPort(-1); }, 40014, "UniSock.LocalPort"},
      {"unknown line end", [&] { closed_tcp.SetLineChange(static_cast<LineBreak>(4)); }, 40014,
       "UniSock.LineChange"},
      {"unknown protocol", [&] { closed_tcp.SetProtocol(2); }, 40014, "UniSock.Protocol"},
      {"protocol while bound", [&] { bound_udp.SetProtocol(0); }, 40020, "UniSock.Protocol"},
      {"local port while bound", [&] { bound_udp.SetLocalPort(5); }, 40020, "UniSock.LocalPort"},
      {"TCP host while open", [&] { listening.SetRemoteHost("x"); }, 40020, "UniSock.RemoteHost"},
      {"TCP port while open", [&] { listening.SetRemotePort(81); }, 40020, "UniSock.RemotePort"},
      {"read while closed", [&] { closed_tcp.GetData(empty, VarType::kByteArray); }, 40006,
       "UniSock.GetData"},
      {"peek while closed", [&] { closed_tcp.PeekData(empty, VarType::kByteArray); }, 40006,
       "UniSock.PeekData"},
      {"read unknown type", [&] { bound_udp.GetData(empty, 9); }, 40018, "UniSock.GetData"},
      {"read no type", [&] { bound_udp.GetData(empty); }, 40018, "UniSock.GetData"},
      {"TCP send unconnected", [&] { closed_tcp.SendData(Data::Long(1)); }, 40006,
       "UniSock.SendData"},
      {"TCP text unconnected", [&] { closed_tcp.SendText("x"); }, 40006, "UniSock.SendText"},
      {"send nothing", [&] { bound_udp.SendData(Data()); }, 40018, "UniSock.SendData"},
      {"accept id 0", [&] { closed_tcp.Accept(0); }, 40020, "UniSock.Accept"},
      {"accept unknown id", [&] { closed_tcp.Accept(987654); }, 40014, "UniSock.Accept"},
      // Instances of a fresh loop are numbered from 1 in order: 3 is the listener, which has
      // no connection waiting.
      {"accept with none waiting", [&] { closed_tcp.Accept(3); }, 40014, "UniSock.Accept"},
      {"accept while bound", [&] { bound_udp.Accept(1); }, 40020, "UniSock.Accept"},
      {"listen on UDP", [&] { bound_udp.Listen(); }, 10045, "UniSock.Listen"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectRaises(c.call, c.number, c.source);
  }
  // Writes that are allowed: UDP addresses at any time, Mode without checks.
  bound_udp.SetRemotePort(15006);
  bound_udp.SetRemoteHost("127.0.0.1");
  closed_tcp.SetMode(42);
  EXPECT_EQ(closed_tcp.Mode(), 42);
}

TEST(UniSockPropertyTest, LineChangeReadsBackFromTheStoredLineEnd) {
  platform::EventLoop loop;
  platform::WindowTable windows(loop);
  UniSock sock(windows);
  for (LineBreak value : {LineBreak::kNone, LineBreak::kLf, LineBreak::kCr, LineBreak::kCrLf}) {
    sock.SetLineChange(value);
    EXPECT_EQ(sock.LineChange(), value);
  }
}

TEST(UniSockPropertyTest, ErrorTableHoldsSocketAndObjectNumbers) {
  EXPECT_EQ(ErrorDescription(10048), "Address already in use.");
  EXPECT_EQ(ErrorDescription(10035), "Resource temporarily unavailable.");
  EXPECT_EQ(ErrorDescription(10110), "No more results.");
  EXPECT_EQ(ErrorDescription(11031), "Reserved policy QOS element type.");
  EXPECT_EQ(ErrorDescription(40017), "Successful.");
  EXPECT_EQ(ErrorDescription(7), "Out of memory.");
  EXPECT_EQ(ErrorDescription(12345), "");
  Error e = UniSockError(40020, "Listen");
  EXPECT_EQ(e.Source(), "UniSock.Listen");
  EXPECT_EQ(e.Description(), "Invalid operation at current state.");
}

}  // namespace
}  // namespace quarnel::net
