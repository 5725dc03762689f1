#include "webdiag/Texts.h"

#include "dmxserver/DatagramFormat.h"
#include "platform/sockets/SocketErrors.h"

#include <algorithm>

namespace quarnel::webdiag {

const char kStartedText1[] =
    "Quarnel diagnostics web server is running.  To access the diagnostics page, navigate to";
const char kStartedText2[] =
    "from a computer or smartphone on the local LAN (smartphone users, please be sure that "
    "your Wi-Fi is enabled and connected-- diagnostics will not work through your 3G/4G data "
    "connection).";
const char kStartingText[] = "Starting... Please Wait";

PortChoice PortOfCommandLine(std::string_view command_line) {
  PortChoice choice;
  const size_t first = command_line.find_first_not_of(' ');
  if (first == std::string_view::npos) return choice;
  std::string_view text =
      command_line.substr(first, command_line.find_last_not_of(' ') - first + 1);
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int64_t value = 0;
  bool digits = !text.empty();
  for (char c : text) {
    if (c < '0' || c > '9') {
      digits = false;
      break;
    }
    value = std::min<int64_t>(value * 10 + (c - '0'), int64_t{1} << 32);
  }
  if (!digits) {
    choice.kind = PortChoice::Kind::kNotANumber;
    return choice;
  }
  if (negative && value != 0) value = -value;
  if (value < 0 || value > 65535) {
    choice.kind = PortChoice::Kind::kOutOfRange;
    return choice;
  }
  choice.kind = PortChoice::Kind::kGiven;
  choice.port = static_cast<int32_t>(value);
  return choice;
}

std::string FirewallPortsText(int32_t port) {
  return "Firewall Ports:\r\n"
         "Your PC firewall software may complain about Quarnel DMX using some ports; you may "
         "need to create exceptions/rules or choose to 'Unblock' these (the exact process "
         "varies depending on your firewall software).\r\n\r\n"
         "TCP " +
         std::to_string(port) + "        for the local web server\r\n" + "UDP " +
         std::to_string(dmx::kDataPort) + "     for the DMX Data Server\r\n" + "UDP " +
         std::to_string(dmx::kDiagnosticsPort) + "     for the DMX diagnostics server\r\n\r\n" +
         "To stop the diagnostics server, close this program.";
}

std::string UrlText(std::string_view address, int32_t port) {
  std::string url = "http://" + std::string(address);
  return port == kDefaultHttpPort ? url + "/" : url + ":" + std::to_string(port);
}

std::string ListenFailureText(std::string_view address, int32_t port, int32_t error,
                              std::string_view description) {
  std::string text = "The web server is not running: TCP port " + std::to_string(port);
  if (!address.empty()) text += " on " + std::string(address);
  text += " cannot be used";
  if (!description.empty()) {
    text += " (" + std::string(description);
    if (text.back() == '.') text.pop_back();
    text += ")";
  }
  text += ".";
  if (error == platform::kWsaEAcces && port < 1024) {
    text +=
        " Ports below 1024 need administrator rights (root, or the capability "
        "CAP_NET_BIND_SERVICE).";
  } else if (error == platform::kWsaEAddrInUse) {
    text += " Another program is using it, perhaps another copy of this one.";
  }
  const int32_t other = port == 8080 ? 8081 : 8080;
  text += " Start it on another port, for example: QuarnelWebDiagnostics " + std::to_string(other);
  return text;
}

}  // namespace quarnel::webdiag
