#include "platform/sockets/tests/PrivateNetwork.h"

#include <array>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::sockets_testing {

namespace {

constexpr char kHostName[] = "localhost";
constexpr int kDocumentationPrefix = 24;

bool Fail(std::string* why, const std::string& what) {
  if (why) *why = what + ": " + std::strerror(errno);
  return false;
}

bool LoopbackUp(std::string* why) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Fail(why, "socket");
  ifreq ifr{};
  std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
  bool ok = ::ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
  ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP | IFF_RUNNING);
  ok = ok && ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
  if (!ok) Fail(why, "bringing the loopback interface up");
  ::close(fd);
  return ok;
}

// One routing request over netlink: a message of `type` with a body and attributes,
// answered by an acknowledgement.
class RouteRequest {
 public:
  RouteRequest(uint16_t type, const void* body, size_t body_size) {
    header_ = reinterpret_cast<nlmsghdr*>(buffer_.data());
    header_->nlmsg_type = type;
    header_->nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK | NLM_F_CREATE | NLM_F_EXCL;
    header_->nlmsg_seq = 1;
    header_->nlmsg_len = NLMSG_LENGTH(static_cast<uint32_t>(body_size));
    std::memcpy(NLMSG_DATA(header_), body, body_size);
  }

  void Attribute(uint16_t type, const void* data, size_t size) {
    auto* attribute = reinterpret_cast<rtattr*>(buffer_.data() + NLMSG_ALIGN(header_->nlmsg_len));
    attribute->rta_type = type;
    attribute->rta_len = static_cast<uint16_t>(RTA_LENGTH(size));
    std::memcpy(RTA_DATA(attribute), data, size);
    header_->nlmsg_len = NLMSG_ALIGN(header_->nlmsg_len) + RTA_ALIGN(attribute->rta_len);
  }

  bool Send(std::string* why, const std::string& what) {
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return Fail(why, what + " (netlink socket)");
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    bool ok = ::sendto(fd, buffer_.data(), header_->nlmsg_len, 0,
                       reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) >= 0;
    std::array<char, 4096> answer{};
    const ssize_t n = ok ? ::recv(fd, answer.data(), answer.size(), 0) : -1;
    ::close(fd);
    if (n < static_cast<ssize_t>(NLMSG_LENGTH(sizeof(nlmsgerr)))) return Fail(why, what);
    const auto* reply = reinterpret_cast<const nlmsghdr*>(answer.data());
    if (reply->nlmsg_type == NLMSG_ERROR) {
      const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(reply));
      if (error->error != 0) {
        errno = -error->error;
        return Fail(why, what);
      }
    }
    return true;
  }

 private:
  alignas(nlmsghdr) std::array<char, 512> buffer_{};
  nlmsghdr* header_;
};

bool AddDocumentationAddress(int loopback, std::string* why) {
  ifaddrmsg body{};
  body.ifa_family = AF_INET;
  body.ifa_prefixlen = kDocumentationPrefix;
  body.ifa_scope = RT_SCOPE_UNIVERSE;
  body.ifa_index = static_cast<uint32_t>(loopback);
  in_addr address{};
  ::inet_pton(AF_INET, kDocumentationAddress, &address);
  RouteRequest request(RTM_NEWADDR, &body, sizeof body);
  request.Attribute(IFA_LOCAL, &address, sizeof address);
  request.Attribute(IFA_ADDRESS, &address, sizeof address);
  return request.Send(why, std::string("adding ") + kDocumentationAddress + " to lo");
}

bool AddDefaultRoute(int loopback, std::string* why) {
  rtmsg body{};
  body.rtm_family = AF_INET;
  body.rtm_table = RT_TABLE_MAIN;
  body.rtm_protocol = RTPROT_BOOT;
  body.rtm_scope = RT_SCOPE_LINK;
  body.rtm_type = RTN_UNICAST;
  RouteRequest request(RTM_NEWROUTE, &body, sizeof body);
  const uint32_t oif = static_cast<uint32_t>(loopback);
  request.Attribute(RTA_OIF, &oif, sizeof oif);
  return request.Send(why, "adding a default route through lo");
}

}  // namespace

bool SharedNetworkAllowed() { return true; }

bool EnterPrivateNetwork(const NetworkShape& shape, std::string* why) {
  if (::unshare(CLONE_NEWNET | CLONE_NEWUTS) != 0) return Fail(why, "unshare");
  if (::sethostname(kHostName, sizeof kHostName - 1) != 0) return Fail(why, "sethostname");
  if (!LoopbackUp(why)) return false;
  const int loopback = static_cast<int>(::if_nametoindex("lo"));
  if (loopback == 0) return Fail(why, "no loopback interface");
  if (shape.documentation_address && !AddDocumentationAddress(loopback, why)) return false;
  if (shape.default_route && !AddDefaultRoute(loopback, why)) return false;
  return true;
}

ScopedPrivateNetwork::ScopedPrivateNetwork(const NetworkShape& shape) {
  previous_net_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  previous_uts_ = ::open("/proc/thread-self/ns/uts", O_RDONLY | O_CLOEXEC);
  if (previous_net_ < 0 || previous_uts_ < 0) {
    Fail(&why_, "cannot note the current namespaces");
    return;
  }
  entered_ = EnterPrivateNetwork(shape, &why_);
}

ScopedPrivateNetwork::~ScopedPrivateNetwork() {
  // The thread goes back where it was, also after a set-up that failed half-way.
  if (previous_net_ >= 0) {
    ::setns(previous_net_, CLONE_NEWNET);
    ::close(previous_net_);
  }
  if (previous_uts_ >= 0) {
    ::setns(previous_uts_, CLONE_NEWUTS);
    ::close(previous_uts_);
  }
}

}  // namespace quarnel::sockets_testing
