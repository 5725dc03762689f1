// What the web server's window says: the port from the command line, the label texts and
// the words for a server that cannot start. Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel::webdiag {

constexpr int32_t kDefaultHttpPort = 80;

struct PortChoice {
  int32_t port = kDefaultHttpPort;  // 0: any free port, chosen when the server binds
  enum class Kind {
    kDefault,     // empty command line
    kGiven,       // a port number
    kNotANumber,  // not a whole number: the default port
    kOutOfRange,  // a whole number that is no port: nothing can be served
  };
  Kind kind = Kind::kDefault;
};

// The HTTP port the command line asks for: the whole command line, spaces trimmed, as a
// whole number from 0 to 65535; empty or not a number gives 80.
PortChoice PortOfCommandLine(std::string_view command_line);

// The caption of lblFirewallPorts for `port`.
std::string FirewallPortsText(int32_t port);

extern const char kStartedText1[];  // lblStarted1
extern const char kStartedText2[];  // lblStarted2
extern const char kStartingText[];  // lblURL before the server listens

// The address to open: "http://<address>/" on port 80, else "http://<address>:<port>".
std::string UrlText(std::string_view address, int32_t port);

// Why the server does not run and how to start it, for a bind or listen that failed
// with the socket error `error` (0 when unknown) and its `description`.
std::string ListenFailureText(std::string_view address, int32_t port, int32_t error,
                              std::string_view description);

}  // namespace quarnel::webdiag
