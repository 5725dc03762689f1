// The web server in the test's own process, on the test's loop, with the plain-socket
// peers of Clients.h. Clients run on other threads while the test's thread runs the loop
// (see Serve).
#pragma once

#include "platform/loop/EventLoop.h"
#include "webdiag/FrmMain.h"
#include "webdiag/tests/Clients.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace quarnel::webdiag::testing {

namespace fs = std::filesystem;

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::path(::testing::TempDir()) /
              (std::string("webdiag-") + info->test_suite_name() + "-" + info->name() + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_);
    WriteTemplate("<h1>{{ServerMessage}}</h1>");
    ASSERT_TRUE(commands_.Bound()) << "UDP 15006 is in use";
  }
  void TearDown() override {
    form_.reset();
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  void WriteTemplate(const std::string& bytes) {
    std::ofstream(folder_ / "template.htm", std::ios::binary) << bytes;
  }

  // Starts the server with `command_line` (0: any free port) and waits until it listens.
  void Start(const std::string& command_line = "0") {
    form_ = std::make_unique<FrmMain>(loop_, folder_, command_line, console_, errors_);
    form_->Load();
    ASSERT_TRUE(loop_.RunUntil([&] { return form_->ListeningPort() != 0; }, 3s))
        << console_.str() << errors_.str();
    port_ = static_cast<uint16_t>(form_->ListeningPort());
  }

  // Runs `client` on another thread while this one runs the server's loop.
  template <typename F>
  auto Serve(F client, std::chrono::milliseconds timeout = 20s) {
    auto done = std::async(std::launch::async, std::move(client));
    // A tick keeps the loop looking at the client while nothing else happens.
    const platform::TimerId tick = loop_.RunEvery(5ms, [] {});
    loop_.RunUntil([&] { return done.wait_for(0s) == std::future_status::ready; }, timeout);
    loop_.CancelTimer(tick);
    EXPECT_EQ(done.wait_for(0s), std::future_status::ready) << "client still running";
    return done.get();
  }
  // Lets the loop handle what is on its way (late datagrams, closes).
  void Settle(std::chrono::milliseconds time = 50ms) { loop_.RunFor(time); }

  platform::EventLoop loop_;
  fs::path folder_;
  std::ostringstream console_;
  std::ostringstream errors_;
  std::unique_ptr<FrmMain> form_;
  TestCommands commands_;
  uint16_t port_ = 0;
};

}  // namespace quarnel::webdiag::testing
