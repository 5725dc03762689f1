#include "webdiag/tests/Relay.h"

#include <memory>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quarnel::webdiag::testing {

namespace {

sockaddr_in Address(const std::string& ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
  return a;
}

}  // namespace

// One browser connection and its connection to the server.
struct Relay::Pair {
  int browser = -1;
  int server = -1;
  bool browser_done = false;  // the browser sent all it will
  bool server_done = false;   // the server sent all it will
  std::string line;           // the request line being read
  bool line_taken = false;

  ~Pair() {
    if (browser >= 0) ::close(browser);
    if (server >= 0) ::close(server);
  }
};

Relay::Relay(std::string address, uint16_t target_port, RequestHook hook)
    : address_(std::move(address)), target_port_(target_port), hook_(std::move(hook)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = Address(address_, 0);
  ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(listener_, 64);
  socklen_t length = sizeof a;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
  port_ = ntohs(a.sin_port);
  if (::pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
  thread_ = std::thread([this] { Run(); });
}

Relay::~Relay() {
  if (wake_[1] >= 0) (void)!::write(wake_[1], "x", 1);
  thread_.join();
  ::close(listener_);
  if (wake_[0] >= 0) ::close(wake_[0]);
  if (wake_[1] >= 0) ::close(wake_[1]);
}

std::vector<std::string> Relay::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int Relay::Connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

void Relay::Run() {
  std::vector<std::unique_ptr<Pair>> pairs;
  char buffer[65536];
  for (;;) {
    std::vector<pollfd> fds = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
    for (const auto& p : pairs) {
      fds.push_back({p->browser, static_cast<short>(p->browser_done ? 0 : POLLIN), 0});
      fds.push_back({p->server, static_cast<short>(p->server_done ? 0 : POLLIN), 0});
    }
    if (::poll(fds.data(), fds.size(), 1000) < 0) continue;
    if (fds[0].revents) return;
    // Only the pairs polled this round; one accepted now waits for the next.
    const size_t polled = pairs.size();
    if (fds[1].revents & POLLIN) {
      auto pair = std::make_unique<Pair>();
      pair->browser = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      pair->server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in to = Address(address_, target_port_);
      if (pair->browser >= 0 &&
          ::connect(pair->server, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++connections_;
        pairs.push_back(std::move(pair));
      }
    }
    for (size_t i = 0; i < polled; ++i) {
      Pair& p = *pairs[i];
      const short from_browser = fds[2 + 2 * i].revents;
      const short from_server = fds[3 + 2 * i].revents;
      if (from_browser && !p.browser_done) {
        const ssize_t n = ::recv(p.browser, buffer, sizeof buffer, 0);
        if (n <= 0) {
          p.browser_done = true;
          ::shutdown(p.server, SHUT_WR);
        } else {
          for (ssize_t k = 0; k < n && !p.line_taken; ++k) {
            if (buffer[k] == '\r' || buffer[k] == '\n') {
              p.line_taken = true;
              if (hook_) hook_(p.line);
              std::lock_guard<std::mutex> lock(mutex_);
              requests_.push_back(p.line);
            } else {
              p.line.push_back(buffer[k]);
            }
          }
          (void)!::send(p.server, buffer, static_cast<size_t>(n), MSG_NOSIGNAL);
        }
      }
      if (from_server && !p.server_done) {
        const ssize_t n = ::recv(p.server, buffer, sizeof buffer, 0);
        if (n <= 0) {
          p.server_done = true;
          ::shutdown(p.browser, SHUT_WR);
        } else {
          (void)!::send(p.browser, buffer, static_cast<size_t>(n), MSG_NOSIGNAL);
        }
      }
    }
    std::erase_if(pairs, [](const auto& p) { return p->browser_done && p->server_done; });
  }
}

}  // namespace quarnel::webdiag::testing
