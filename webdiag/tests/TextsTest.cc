#include "dmxserver/DatagramFormat.h"
#include "platform/sockets/SocketErrors.h"
#include "webdiag/Texts.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::webdiag {
namespace {

using Kind = PortChoice::Kind;

TEST(TextsTest, PortIsTheWholeCommandLineAsANumber) {
  struct Case {
    const char* line;
    int32_t port;
    Kind kind;
  } cases[] = {
      {"", 80, Kind::kDefault},
      {"   ", 80, Kind::kDefault},
      {"8080", 8080, Kind::kGiven},
      {" 8080 ", 8080, Kind::kGiven},
      {"+81", 81, Kind::kGiven},
      {"0", 0, Kind::kGiven},
      {"65535", 65535, Kind::kGiven},
      {"080", 80, Kind::kGiven},
      {"abc", 80, Kind::kNotANumber},
      {"8080x", 80, Kind::kNotANumber},
      {"80 81", 80, Kind::kNotANumber},
      {"--help", 80, Kind::kNotANumber},
      {"-", 80, Kind::kNotANumber},
      {"80.5", 80, Kind::kNotANumber},
      {"65536", 80, Kind::kOutOfRange},
      {"-1", 80, Kind::kOutOfRange},
      {"99999999999999999999", 80, Kind::kOutOfRange},
  };
  for (const Case& c : cases) {
    const PortChoice choice = PortOfCommandLine(c.line);
    EXPECT_EQ(choice.port, c.port) << c.line;
    EXPECT_EQ(choice.kind, c.kind) << c.line;
  }
}

TEST(TextsTest, UrlHasASlashOnPort80AndAColonWithThePortOtherwise) {
  EXPECT_EQ(UrlText("192.168.1.20", 80), "http://192.168.1.20/");
  EXPECT_EQ(UrlText("192.168.1.20", 8080), "http://192.168.1.20:8080");
}

TEST(TextsTest, FirewallNoteNamesEachPortOnALineOfItsOwn) {
  for (int32_t port : {80, 8080}) {
    SCOPED_TRACE(port);
    const std::string text = FirewallPortsText(port);
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
      const size_t end = text.find("\r\n", start);
      lines.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 2;
    }
    auto lines_naming = [&](const std::string& protocol, int32_t number) {
      const std::string start = protocol + " " + std::to_string(number) + " ";
      return std::count_if(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.starts_with(start); });
    };
    EXPECT_EQ(lines.front(), "Firewall Ports:");
    EXPECT_EQ(lines_naming("TCP", port), 1);
    EXPECT_EQ(lines_naming("UDP", dmx::kDataPort), 1);
    EXPECT_EQ(lines_naming("UDP", dmx::kDiagnosticsPort), 1);
    // Label text breaks lines with CR LF only.
    for (const std::string& line : lines) {
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
  }
}

TEST(TextsTest, ListenFailureSaysWhyAndHowToStartOnAnotherPort) {
  std::string text =
      ListenFailureText("192.168.1.20", 80, platform::kWsaEAcces, "Permission denied.");
  EXPECT_EQ(text.rfind("The web server is not running: TCP port 80 on 192.168.1.20 cannot be used "
                       "(Permission denied).",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("administrator rights"), std::string::npos);
  EXPECT_NE(text.find("QuarnelWebDiagnostics 8080"), std::string::npos);

  text = ListenFailureText("127.0.0.1", 8080, platform::kWsaEAddrInUse, "Address already in use.");
  EXPECT_NE(text.find("(Address already in use). Another program is using it"), std::string::npos);
  EXPECT_NE(text.find("QuarnelWebDiagnostics 8081"), std::string::npos);

  text = ListenFailureText("", 8080, 0, "");
  EXPECT_EQ(text.rfind("The web server is not running: TCP port 8080 cannot be used. Start", 0), 0u)
      << text;
}

}  // namespace
}  // namespace quarnel::webdiag
