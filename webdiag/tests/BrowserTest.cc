// The diagnostics page in a real browser, end to end: headless Chromium on a phone-sized
// screen, driven through chromedriver, loads the page from QuarnelWebDiagnostics, which
// has started QuarnelOpenDMX on a simulated interface. A relay between browser and server
// shows every request the browser makes.
#include "dmxserver/harness/Capture.h"
#include "webdiag/tests/Clients.h"
#include "webdiag/tests/ProgramFolder.h"
#include "webdiag/tests/Relay.h"
#include "webdiag/tests/WebDriver.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quarnel::webdiag {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;
using testing::ProgramFolder;
using testing::WebDriver;

constexpr int kDriverPort = 9515;
constexpr uint8_t kFull = 255;

off_t FileSize(const std::string& path) {
  struct stat s {};
  return ::stat(path.c_str(), &s) == 0 ? s.st_size : 0;
}

// The frames of the capture whose calls were written after byte `offset` of the file.
std::vector<dmx::harness::WireFrame> FramesAfter(const std::string& capture, off_t offset) {
  std::ifstream in(capture, std::ios::binary);
  in.seekg(offset);
  std::vector<dmx::harness::CaptureCall> calls;
  for (std::string line; std::getline(in, line);) {
    if (auto call = dmx::harness::ParseCaptureLine(line)) calls.push_back(*call);
  }
  return dmx::harness::FramesOf(calls);
}

json PhoneCapabilities(const std::string& chromium, const fs::path& profile) {
  return {{"browserName", "chrome"},
          {"goog:chromeOptions",
           {{"binary", chromium},
            {"args",
             {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
              "--disable-background-networking", "--disable-component-update", "--disable-sync",
              "--user-data-dir=" + profile.string()}},
            {"mobileEmulation",
             {{"deviceMetrics",
               {{"width", 390}, {"height", 844}, {"pixelRatio", 2.0}, {"touch", true}}}}}}}};
}

TEST(BrowserTest, PhoneLightsTheNextChannelAndStopsTheTest) {
  const std::string chromium = testing::FindChromium();
  const std::string driver = testing::FindChromeDriver();
  if (chromium.empty() || driver.empty()) {
    // Set-up installs both; a build machine without them skips, CI must not.
    if (std::getenv("CI") != nullptr) {
      FAIL() << "Chromium or chromedriver is missing; tools/setup.sh installs them";
    }
    GTEST_SKIP() << "Chromium or chromedriver is not installed (tools/setup.sh installs them)";
  }

  ProgramFolder folder;
  folder.AddDmxServer();
  folder.WriteSerial("S1");
  const std::string capture = folder.File("capture.txt").string();
  auto& web = folder.RunWebServer({"0"}, {{"QUARNEL_FTDI", "sim:S1"},
                                          {"QUARNEL_FTDI_CAPTURE", capture},
                                          {"QUARNEL_FTDI_SIM_FAST", "1"}});
  ASSERT_TRUE(testing::WaitForOutput(web, "from a computer or smartphone", 5000ms))
      << web.Stdout() << web.Stderr();
  const uint16_t port = testing::PortFromUrl(web.Stdout());
  ASSERT_NE(port, 0) << web.Stdout();
  // The DMX output server sends frames from one second after it loads.
  dmx::harness::CaptureFollower follower(capture);
  const auto end = std::chrono::steady_clock::now() + 5000ms;
  while (std::chrono::steady_clock::now() < end) {
    follower.Poll();
    if (!dmx::harness::FramesOf(follower.All()).empty()) break;
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_FALSE(dmx::harness::FramesOf(follower.All()).empty()) << web.Stdout() << web.Stderr();

  // Where the capture stood when each request reached the server.
  std::mutex mutex;
  std::vector<std::pair<std::string, off_t>> arrivals;
  testing::Relay relay(testing::Primary(), port, [&](const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    arrivals.emplace_back(line, FileSize(capture));
  });
  auto offset_of = [&](const std::string& line) -> off_t {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [seen, offset] : arrivals) {
      if (seen == line) return offset;
    }
    return -1;
  };

  std::string error;
  auto browser =
      WebDriver::Start(driver, kDriverPort, folder.File("chromedriver").string(), &error);
  ASSERT_TRUE(browser) << error;
  ASSERT_TRUE(browser->NewSession(PhoneCapabilities(chromium, folder.File("profile")), &error))
      << error;

  // The page from the server: nothing under test yet.
  const std::string page = "http://" + testing::Primary() + ":" + std::to_string(relay.Port());
  ASSERT_TRUE(browser->Navigate(page + "/"));
  auto is = [](const std::string& want) {
    return [want](const std::string& t) { return t == want; };
  };
  ASSERT_TRUE(browser->WaitForText("#message", is("No Tests Running"), 5000ms));
  auto field = browser->FindElement("#channel");
  ASSERT_TRUE(field);
  EXPECT_EQ(browser->Property(*field, "value"), "1");

  // "Next" tests channel 2: the page says so and the interface shows slot 2 at full
  // within two frames of the request reaching the server.
  auto next = browser->FindElement("#next");
  ASSERT_TRUE(next);
  ASSERT_TRUE(browser->Click(*next));
  ASSERT_TRUE(browser->WaitForText("#message", is("Testing Channel 2"), 5000ms));
  EXPECT_EQ(browser->CurrentUrl(), page + "/2");
  field = browser->FindElement("#channel");
  ASSERT_TRUE(field);
  EXPECT_EQ(browser->Property(*field, "value"), "2");
  const off_t asked = offset_of("GET /2 HTTP/1.1");
  ASSERT_GE(asked, 0);
  std::vector<dmx::harness::WireFrame> after;
  for (int i = 0; i < 100 && after.size() < 3; ++i) {
    std::this_thread::sleep_for(20ms);
    after = FramesAfter(capture, asked);
  }
  ASSERT_GE(after.size(), 2u);
  EXPECT_TRUE(after[0].slots[1] == kFull || after[1].slots[1] == kFull)
      << "slot 2 in the first two frames: " << int{after[0].slots[1]} << ", "
      << int{after[1].slots[1]};
  for (size_t i = 2; i < after.size(); ++i) EXPECT_EQ(after[i].slots[1], kFull);
  for (const auto& frame : after) EXPECT_EQ(frame.slots[0], 0);  // channel 1 stays dark

  // The phone-sized page, kept with the build's test artefacts.
  if (auto png = browser->Screenshot()) {
    fs::create_directories(QUARNEL_TEST_ARTEFACTS);
    std::ofstream(fs::path(QUARNEL_TEST_ARTEFACTS) / "webdiag-phone.png", std::ios::binary) << *png;
    EXPECT_EQ(png->substr(1, 3), "PNG");
  } else {
    ADD_FAILURE() << "no screenshot";
  }

  // "Stop test" ends it.
  auto stop = browser->FindElement("#stop");
  ASSERT_TRUE(stop);
  const size_t requests_before_stop = relay.Requests().size();
  ASSERT_TRUE(browser->Click(*stop));
  ASSERT_TRUE(browser->WaitForText("#message", is("No Tests Running"), 5000ms));
  std::vector<dmx::harness::WireFrame> stopped;
  for (int i = 0; i < 100 && stopped.size() < 3; ++i) {
    std::this_thread::sleep_for(20ms);
    std::lock_guard<std::mutex> lock(mutex);
    if (arrivals.size() > requests_before_stop) {
      stopped = FramesAfter(capture, arrivals[requests_before_stop].second);
    }
  }
  ASSERT_GE(stopped.size(), 3u);
  EXPECT_EQ(stopped.back().slots[1], 0);

  // The server saw the clicked requests and nothing else (no icon, no second fetch).
  browser.reset();
  EXPECT_EQ(relay.Requests(),
            (std::vector<std::string>{"GET / HTTP/1.1", "GET /2 HTTP/1.1", "GET / HTTP/1.1"}));
  std::cout << "The browser opened " << relay.Connections() << " connections for "
            << relay.Requests().size() << " requests.\n";
}

}  // namespace
}  // namespace quarnel::webdiag
