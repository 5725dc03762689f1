// QuarnelWebDiagnostics run as a program from a folder laid out as an installation: what
// it says, what it starts, what it reads, and how it ends.
#include "dmxserver/harness/Capture.h"
#include "platform/sockets/PrimaryAddress.h"
#include "webdiag/tests/Clients.h"
#include "webdiag/tests/ProgramFolder.h"

#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::webdiag {
namespace {

using namespace std::chrono_literals;
using testing::Exchange;
using testing::Primary;
using testing::ProgramFolder;

constexpr auto kStartUp = 5000ms;

// The run has listened (its URL is out) and finished start-up.
bool Listening(dmx::harness::ServerProcess& web) {
  return testing::WaitForOutput(web, "from a computer or smartphone", kStartUp).has_value();
}

TEST(ProgramTest, ConsoleShowsTheWindowAndTheProgramEndsCleanlyOnSignal) {
  ProgramFolder folder;
  auto& web = folder.RunWebServer({"8080"});
  ASSERT_TRUE(Listening(web)) << web.Stdout() << web.Stderr();
  const std::string out = web.Stdout();
  std::vector<std::string> in_order = {
      "== Quarnel Diagnostics Web Server ==",
      "Starting... Please Wait",
      "Firewall Ports:\nYour PC firewall software may complain",
      "TCP 8080        for the local web server\nUDP 15005     for the DMX Data Server\n",
      "Quarnel diagnostics web server is running.  To access the diagnostics page, navigate to",
      "http://" + Primary() + ":8080\n",
      "from a computer or smartphone on the local LAN"};
  size_t at = 0;
  for (const std::string& text : in_order) {
    const size_t found = out.find(text, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << text << "\n" << out;
    at = found + text.size();
  }
  EXPECT_EQ(testing::PortFromUrl(out), 8080);
  // When the host name does not stand for the address taken (in the tests' own network on
  // Linux, where it stands for loopback), the window says which address it took and why.
  const std::string why = platform::DescribePrimaryAddress(platform::FindPrimaryAddress());
  if (why.empty()) {
    EXPECT_EQ(out.find("Note: This machine"), std::string::npos) << out;
  } else {
    // Written right after the address; the output may not have it yet.
    EXPECT_TRUE(testing::WaitForOutput(web, "Note: " + why, kStartUp)) << web.Stdout();
  }
  web.Signal(SIGTERM);
  EXPECT_EQ(web.WaitExit(3000ms), 0);
}

TEST(ProgramTest, SerialFromTheFileStartsTheDmxServerWhichOutlivesTheWebServer) {
  ProgramFolder folder;
  folder.AddStandIn("QuarnelOpenDMX");
  folder.WriteSerial("  A6008abc");
  auto& web = folder.RunWebServer({"0"});
  ASSERT_TRUE(Listening(web)) << web.Stderr();
  const auto run = folder.StandInRun("QuarnelOpenDMX", 3000ms);
  ASSERT_TRUE(run.has_value());
  ASSERT_EQ(run->size(), 2u);
  EXPECT_EQ((*run)[1], "A6008abc");  // NULs gone, spaces trimmed, one argument
  const pid_t dmx = static_cast<pid_t>(std::stol((*run)[0]));
  EXPECT_NE(web.Stdout().find("Started the DMX output server for the Open DMX USB interface "
                              "A6008abc (QuarnelOpenDMX, process " +
                              std::to_string(dmx) + ")"),
            std::string::npos)
      << web.Stdout();
  web.Signal(SIGINT);
  EXPECT_EQ(web.WaitExit(3000ms), 0);
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(testing::ProcessAlive(dmx));
}

TEST(ProgramTest, NoUsableSerialStartsNoDmxServerAndSaysWhy) {
  struct Case {
    const char* name;
    std::function<void(ProgramFolder&)> prepare;
    const char* said;
  } cases[] = {
      {"missing", [](ProgramFolder&) {}, "ftdinets.dat is missing"},
      {"short", [](ProgramFolder& f) { f.WriteFile("ftdinets.dat", std::string(300, 'x')); },
       "ftdinets.dat is 300 bytes long and ends before the serial number"},
      {"empty serial", [](ProgramFolder& f) { f.WriteSerial(std::string(6, ' ')); },
       "ftdinets.dat holds no serial number at bytes 320 to 335"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder;
    folder.AddStandIn("QuarnelOpenDMX");
    c.prepare(folder);
    auto& web = folder.RunWebServer({"0"});
    ASSERT_TRUE(Listening(web)) << web.Stderr();
    EXPECT_FALSE(folder.StandInRun("QuarnelOpenDMX", 200ms).has_value());
    EXPECT_NE(web.Stderr().find(c.said), std::string::npos) << web.Stderr();
    EXPECT_NE(web.Stderr().find("The DMX output server is not started."), std::string::npos);
    EXPECT_NE(web.Stdout().find("is running"), std::string::npos);  // the page still works
  }
}

TEST(ProgramTest, MissingDmxServerProgramIsSaidAndTheWebServerRuns) {
  ProgramFolder folder;
  folder.WriteSerial("A6008abc");
  auto& web = folder.RunWebServer({"0"});
  ASSERT_TRUE(Listening(web));
  // The reason in the system's words: "No such file or directory", "File not found."
  const std::string errors = web.Stderr();
  const size_t said = errors.find("QuarnelOpenDMX could not be started (");
  ASSERT_NE(said, std::string::npos) << errors;
  EXPECT_TRUE(errors.find("No such file or directory", said) != std::string::npos ||
              errors.find("File not found.", said) != std::string::npos)
      << errors;
}

TEST(ProgramTest, PortInUseEndsWithStatusOneAndSaysHowToStartElsewhere) {
  ProgramFolder folder;
  auto& first = folder.RunWebServer({"0"});
  ASSERT_TRUE(Listening(first));
  const std::string port = std::to_string(testing::PortFromUrl(first.Stdout()));
  auto& second = folder.RunWebServer({port});
  EXPECT_EQ(second.WaitExit(kStartUp), 1);
  EXPECT_NE(second.Stderr().find("The web server is not running: TCP port " + port),
            std::string::npos)
      << second.Stderr();
  EXPECT_NE(second.Stderr().find("Address already in use"), std::string::npos);
  EXPECT_NE(second.Stderr().find("QuarnelWebDiagnostics 8080"), std::string::npos);
  EXPECT_EQ(second.Stdout().find("is running"), std::string::npos);
  EXPECT_TRUE(first.Running());
}

TEST(ProgramTest, OlderDmxProgramRunningStartsTheToolAndPausesFiveSeconds) {
  ProgramFolder folder;
  folder.AddStandIn("Tessivar");
  folder.AddStandIn("QuarnelOpenDMX");
  folder.WriteSerial("A6008abc");
  folder.StartNamedProgram("QuarnelDMXHack.exe");
  auto& web = folder.RunWebServer({"0"});
  const auto tool = folder.StandInRun("Tessivar", 3000ms);
  ASSERT_TRUE(tool.has_value()) << web.Stdout() << web.Stderr();
  const auto tool_seen = std::chrono::steady_clock::now();
  EXPECT_EQ(std::vector<std::string>(tool->begin() + 1, tool->end()),
            std::vector<std::string>{"-silent"});
  // The DMX server waits for the pause, and so does the web server.
  EXPECT_FALSE(folder.StandInRun("QuarnelOpenDMX", 3500ms).has_value());
  ASSERT_TRUE(folder.StandInRun("QuarnelOpenDMX", 4000ms).has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - tool_seen, 4800ms);
  EXPECT_TRUE(Listening(web));
  EXPECT_NE(web.Stdout().find("QuarnelDMXHack is running: started Tessivar -silent"),
            std::string::npos)
      << web.Stdout();
}

TEST(ProgramTest, NoToolIsStartedWhenTheOlderDmxProgramIsNotRunning) {
  ProgramFolder folder;
  folder.AddStandIn("Tessivar");
  auto& web = folder.RunWebServer({"0"});
  ASSERT_TRUE(testing::WaitForOutput(web, "from a computer or smartphone", 2000ms));
  EXPECT_FALSE(folder.StandInRun("Tessivar").has_value());
}

TEST(ProgramTest, RequestLightsTheChannelOnTheSimulatedInterface) {
  ProgramFolder folder;
  folder.AddDmxServer();
  folder.WriteSerial("S1");
  const std::string capture = folder.File("capture.txt").string();
  auto& web = folder.RunWebServer({"0"}, {{"QUARNEL_FTDI", "sim:S0,S1"},
                                          {"QUARNEL_FTDI_CAPTURE", capture},
                                          {"QUARNEL_FTDI_SIM_FAST", "1"}});
  ASSERT_TRUE(Listening(web)) << web.Stderr();
  const uint16_t port = testing::PortFromUrl(web.Stdout());
  dmx::harness::CaptureFollower follower(capture);
  // The DMX server starts 1 s after it loads; ask until a frame carries the channel.
  const auto end = std::chrono::steady_clock::now() + 5000ms;
  bool lit = false;
  while (!lit && std::chrono::steady_clock::now() < end) {
    Exchange(port, "GET /5 HTTP/1.1\r\n\r\n");
    std::this_thread::sleep_for(100ms);
    follower.Poll();
    for (const auto& frame : dmx::harness::FramesOf(follower.All())) {
      if (frame.serial == "S1" && frame.slots[4] == 255) lit = true;
    }
  }
  ASSERT_TRUE(lit) << web.Stdout() << web.Stderr();
  // The interface named in ftdinets.dat, not the first one attached.
  for (const auto& frame : dmx::harness::FramesOf(follower.All())) EXPECT_EQ(frame.serial, "S1");
  // "/" ends the test.
  Exchange(port, "GET / HTTP/1.1\r\n\r\n");
  follower.Poll();
  const size_t before = dmx::harness::FramesOf(follower.All()).size();
  std::this_thread::sleep_for(200ms);
  follower.Poll();
  const auto frames = dmx::harness::FramesOf(follower.All());
  ASSERT_GT(frames.size(), before + 2);
  EXPECT_EQ(frames.back().slots[4], 0);
}

}  // namespace
}  // namespace quarnel::webdiag
