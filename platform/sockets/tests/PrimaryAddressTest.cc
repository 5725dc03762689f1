#include "platform/sockets/Ipv4.h"
#include "platform/sockets/PrimaryAddress.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

using Source = PrimaryAddress::Source;
using ::testing::HasSubstr;

uint32_t Ip(const char* dotted) { return *ParseDotted(dotted); }

InterfaceAddress On(const char* name, const char* dotted, bool up = true) {
  return {name, Ip(dotted), up};
}

TEST(PrimaryAddressTest, HostNameFirstThenDefaultRouteThenAnyInterfaceThenLoopback) {
  struct Case {
    const char* what;
    std::vector<uint32_t> host;
    std::vector<InterfaceAddress> interfaces;
    std::string default_route;
    const char* address;
    Source source;
    const char* interface_name;
  };
  const std::vector<InterfaceAddress> lo = {On("lo", "127.0.0.1")};
  auto with = [&](std::vector<InterfaceAddress> more) {
    std::vector<InterfaceAddress> all = lo;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const Case cases[] = {
      {"the name stands for a network address of this machine",
       {Ip("127.0.1.1"), Ip("192.168.1.5")},
       with({On("eth0", "192.168.1.5")}),
       "eth0",
       "192.168.1.5",
       Source::kHostName,
       ""},
      {"Debian: the name stands for 127.0.1.1",
       {Ip("127.0.1.1")},
       with({On("eth0", "192.168.1.5"), On("wlan0", "10.0.0.7")}),
       "wlan0",
       "10.0.0.7",
       Source::kDefaultRoute,
       "wlan0"},
      {"the name resolves to nothing",
       {},
       with({On("eth0", "192.168.1.5")}),
       "eth0",
       "192.168.1.5",
       Source::kDefaultRoute,
       "eth0"},
      {"a stale name: its address is on no interface",
       {Ip("192.168.9.9")},
       with({On("eth0", "192.168.1.5")}),
       "eth0",
       "192.168.1.5",
       Source::kDefaultRoute,
       "eth0"},
      {"the default route on lo, which also has a network address",
       {Ip("127.0.0.1")},
       with({On("lo", "192.0.2.10")}),
       "lo",
       "192.0.2.10",
       Source::kDefaultRoute,
       "lo"},
      {"no default route: the first interface that is up",
       {Ip("127.0.1.1")},
       with({On("eth0", "192.168.1.5", false), On("wlan0", "10.0.0.7")}),
       "",
       "10.0.0.7",
       Source::kInterface,
       "wlan0"},
      {"the default route's interface is down",
       {Ip("127.0.1.1")},
       with({On("eth0", "192.168.1.5", false), On("wlan0", "10.0.0.7")}),
       "eth0",
       "10.0.0.7",
       Source::kInterface,
       "wlan0"},
      {"nothing but loopback: the name's address",
       {Ip("127.0.1.1")},
       lo,
       "",
       "127.0.1.1",
       Source::kLoopback,
       ""},
      {"nothing at all", {}, lo, "", "127.0.0.1", Source::kLoopback, ""},
      {"the interfaces cannot be read: the name is taken at its word",
       {Ip("192.168.9.9")},
       {},
       "",
       "192.168.9.9",
       Source::kHostName,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PrimaryAddress p = ChoosePrimaryAddress("box", c.host, c.interfaces, c.default_route);
    EXPECT_EQ(DottedText(p.address), c.address);
    EXPECT_EQ(p.source, c.source);
    EXPECT_EQ(p.interface_name, c.interface_name);
  }
}

TEST(PrimaryAddressTest, DescriptionSaysWhichAddressAndWhy) {
  PrimaryAddress p{Ip("192.0.2.10"), Source::kDefaultRoute, "box", "lo"};
  EXPECT_THAT(DescribePrimaryAddress(p),
              HasSubstr("name box stands for no network address, so 192.0.2.10 is used: the "
                        "address of lo, the interface that carries the default route."));
  p.source = Source::kInterface;
  EXPECT_THAT(DescribePrimaryAddress(p), HasSubstr("the address of lo."));
  p = {Ip("127.0.1.1"), Source::kLoopback, "box", ""};
  EXPECT_THAT(DescribePrimaryAddress(p), HasSubstr("127.0.1.1 is a loopback address"));
  p.source = Source::kHostName;
  EXPECT_EQ(DescribePrimaryAddress(p), "");
}

}  // namespace
}  // namespace quarnel::platform
