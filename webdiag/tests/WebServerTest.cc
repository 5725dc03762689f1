// The web server's requests and answers, with the server in this process.
#include "webdiag/tests/ServerFixture.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::webdiag {
namespace {

using testing::AnswerWith;
using testing::Client;
using testing::Exchange;
using testing::Primary;
using testing::WebServerTest;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST_F(WebServerTest, GetOfAChannelSendsItAndAnswersTestingChannel) {
  Start();
  bool closed = false;
  const std::string answer =
      Serve([&] { return Exchange(port_, "GET /7 HTTP/1.1\r\nHost: x\r\n\r\n", &closed); });
  EXPECT_EQ(answer, AnswerWith("Testing Channel 7"));
  EXPECT_TRUE(closed);
  Settle();
  EXPECT_EQ(commands_.Channels(), std::vector<int32_t>{7});
  EXPECT_EQ(commands_.Datagrams(), std::vector<std::string>{std::string("\x07\0\0\0", 4)});
}

TEST_F(WebServerTest, PathsThatSelectNoChannelSendZeroAndSayNoTestsRunning) {
  Start();
  for (const char* path : {"/512", "/0", "/abc", "/", "/favicon.ico", "/-3"}) {
    const std::string answer =
        Serve([&] { return Exchange(port_, "GET " + std::string(path) + " HTTP/1.1\r\n\r\n"); });
    EXPECT_EQ(answer, AnswerWith("No Tests Running")) << path;
  }
  Settle();
  EXPECT_EQ(commands_.Channels(), std::vector<int32_t>(6, 0));
}

TEST_F(WebServerTest, MethodInLowerCaseIsAccepted) {
  Start();
  EXPECT_EQ(Serve([&] { return Exchange(port_, "get /3 HTTP/1.1\r\n\r\n"); }),
            AnswerWith("Testing Channel 3"));
  EXPECT_EQ(Serve([&] { return Exchange(port_, "gEt /4\r\n"); }), AnswerWith("Testing Channel 4"));
  Settle();
  EXPECT_EQ(commands_.Channels(), (std::vector<int32_t>{3, 4}));
}

TEST_F(WebServerTest, PostIsClosedWithoutAnAnswer) {
  Start();
  bool closed = false;
  const std::string answer = Serve(
      [&] { return Exchange(port_, "POST /7 HTTP/1.1\r\nContent-Length: 0\r\n\r\n", &closed); });
  EXPECT_EQ(answer, "");
  EXPECT_TRUE(closed);
  Settle();
  EXPECT_TRUE(commands_.Channels().empty());
}

TEST_F(WebServerTest, EveryGetLineOfARequestIsAnsweredInTurn) {
  Start();
  const std::string answer =
      Serve([&] { return Exchange(port_, "GET /1 HTTP/1.1\r\nGET /2 HTTP/1.1\r\n\r\n"); });
  EXPECT_EQ(answer, AnswerWith("Testing Channel 1") + AnswerWith("Testing Channel 2"));
  Settle();
  EXPECT_EQ(commands_.Channels(), (std::vector<int32_t>{1, 2}));
}

TEST_F(WebServerTest, AnswerLargerThanTheSendBufferArrivesWhole) {
  // 6 MB of page, far more than a socket buffers, with the marker at both ends.
  std::string page = "{{ServerMessage}}";
  for (int i = 0; page.size() < (6u << 20); ++i) page += "<p>line " + std::to_string(i) + "</p>\n";
  page += "{{ServerMessage}}";
  WriteTemplate(page);
  Start();
  bool closed = false;
  const std::string answer = Serve([&] {
    Client client(port_, 4096);  // a small window: the server must wait for the reader
    client.Send("GET /9 HTTP/1.1\r\n\r\n");
    std::this_thread::sleep_for(300ms);  // let the server fill every buffer first
    return client.ReadToClose(&closed);
  });
  const std::string expected = "HTTP/1.1 200 OK\r\n\r\nTesting Channel 9" +
                               page.substr(17, page.size() - 34) + "Testing Channel 9";
  EXPECT_EQ(answer.size(), expected.size());
  EXPECT_TRUE(answer == expected);
  EXPECT_TRUE(closed);
}

TEST_F(WebServerTest, UrlLabelShowsTheAddressAColonAndThePortFromTheCommandLine) {
  Start("8080");
  EXPECT_EQ(form_->ListeningPort(), 8080);
  EXPECT_EQ(form_->Form().GetLabel("lblURL").Caption(), "http://" + Primary() + ":8080");
  EXPECT_TRUE(form_->Form().GetLabel("lblStarted1").Visible());
  EXPECT_TRUE(form_->Form().GetLabel("lblStarted2").Visible());
  EXPECT_NE(form_->Form().GetLabel("lblFirewallPorts").Caption().find("TCP 8080 "),
            std::string::npos);
  // The console shows the window: caption, the note, the URL after the start text.
  const std::string console = console_.str();
  EXPECT_EQ(console.rfind("== Quarnel Diagnostics Web Server ==\n", 0), 0u) << console;
  const size_t starting = console.find("Starting... Please Wait\n");
  const size_t url = console.find("http://" + Primary() + ":8080\n");
  ASSERT_NE(starting, std::string::npos);
  ASSERT_NE(url, std::string::npos);
  EXPECT_LT(starting, url);
  EXPECT_NE(console.find("Quarnel diagnostics web server is running."), std::string::npos);
}

TEST_F(WebServerTest, FirewallNoteOfPortZeroNamesThePortActuallyBound) {
  Start("0");
  const std::string note = form_->Form().GetLabel("lblFirewallPorts").Caption();
  EXPECT_NE(note.find("TCP " + std::to_string(port_) + " "), std::string::npos) << note;
  EXPECT_EQ(note.find("TCP 0 "), std::string::npos) << note;
  EXPECT_EQ(form_->Form().GetLabel("lblURL").Caption(),
            "http://" + Primary() + ":" + std::to_string(port_));
}

TEST_F(WebServerTest, StartsOneTenthOfASecondAfterLoading) {
  form_ = std::make_unique<FrmMain>(loop_, folder_, "0", console_, errors_);
  form_->Load();
  loop_.RunFor(60ms);
  EXPECT_EQ(form_->ListeningPort(), 0);
  EXPECT_EQ(form_->Form().GetLabel("lblURL").Caption(), "Starting... Please Wait");
  EXPECT_FALSE(form_->Form().GetLabel("lblStarted1").Visible());
  EXPECT_TRUE(loop_.RunUntil([&] { return form_->ListeningPort() != 0; }, 1s));
}

TEST_F(WebServerTest, PortInUseSaysTheServerIsNotRunningAndHowToStartIt) {
  // Another program holds the port.
  sockets_testing::PlainSocket holder(sockets_testing::PlainSocket::Kind::kTcp);
  ASSERT_TRUE(holder.Bind(testing::AddressOf(Primary(), 0)));
  ASSERT_TRUE(holder.Listen());
  const std::string port = std::to_string(holder.LocalPort());

  form_ = std::make_unique<FrmMain>(loop_, folder_, port, console_, errors_);
  form_->Load();
  loop_.RunUntil([&] { return form_->Form().Unloaded(); }, 2s);
  holder.Close();
  EXPECT_TRUE(form_->Form().Unloaded());
  EXPECT_EQ(form_->ExitCode(), 1);
  EXPECT_FALSE(form_->Form().GetLabel("lblStarted1").Visible());
  EXPECT_EQ(form_->Form().GetLabel("lblURL").Caption(), "Starting... Please Wait");
  const std::string errors = errors_.str();
  EXPECT_NE(errors.find("The web server is not running: TCP port " + port + " on " + Primary() +
                        " cannot be used (Address already in use)."),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("Start it on another port, for example: QuarnelWebDiagnostics 80"),
            std::string::npos);
  EXPECT_EQ(console_.str().find("is running"), std::string::npos);
}

TEST_F(WebServerTest, CommandLineThatIsNoPortNumberEndsWithStatusTwo) {
  form_ = std::make_unique<FrmMain>(loop_, folder_, "70000", console_, errors_);
  form_->Load();
  loop_.RunUntil([&] { return form_->Form().Unloaded(); }, 2s);
  EXPECT_EQ(form_->ExitCode(), 2);
  EXPECT_NE(errors_.str().find("\"70000\" is not a port number: give a number from 0 to 65535 "
                               "(0 picks a free port)"),
            std::string::npos)
      << errors_.str();
}

TEST_F(WebServerTest, MissingTemplateServesAPlainPageWithTheMessage) {
  fs::remove(folder_ / "template.htm");
  Start();
  EXPECT_NE(errors_.str().find("template.htm cannot be read (No such file or directory)"),
            std::string::npos)
      << errors_.str();
  const std::string answer = Serve([&] { return Exchange(port_, "GET /5 HTTP/1.1\r\n\r\n"); });
  EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n\r\n<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(answer.find("<h1>Testing Channel 5</h1>"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ / "template.htm"));  // nothing created
}

TEST_F(WebServerTest, EmptyTemplateGivesTheStatusLineOnly) {
  WriteTemplate("");
  Start();
  EXPECT_NE(errors_.str().find("is empty"), std::string::npos);
  EXPECT_EQ(Serve([&] { return Exchange(port_, "GET /5 HTTP/1.1\r\n\r\n"); }),
            "HTTP/1.1 200 OK\r\n\r\n");
}

TEST_F(WebServerTest, ClosingTheWindowClosesTheServerButNotTheTest) {
  Start();
  Serve([&] { return Exchange(port_, "GET /12 HTTP/1.1\r\n\r\n"); });
  form_->Form().Unload();
  Settle();
  EXPECT_FALSE(Client(port_).Connected());
  // No "end of test" is sent on closing: the channel stays lit.
  EXPECT_EQ(commands_.Channels(), std::vector<int32_t>{12});
}

}  // namespace
}  // namespace quarnel::webdiag
