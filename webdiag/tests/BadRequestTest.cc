// Requests no browser sends: the server answers what it can, refuses the rest, and keeps
// answering the next request. No request makes it send a channel outside 0 to 511.
#include "webdiag/tests/ServerFixture.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::webdiag {
namespace {

using testing::AnswerWith;
using testing::Client;
using testing::Exchange;
using testing::WebServerTest;
using namespace std::chrono_literals;

class BadRequestTest : public WebServerTest {
 protected:
  // The server still answers an ordinary request.
  void ExpectStillServing() {
    EXPECT_EQ(Serve([&] { return Exchange(port_, "GET /44 HTTP/1.1\r\n\r\n"); }),
              AnswerWith("Testing Channel 44"));
  }
  void ExpectChannelsInRange() {
    Settle();
    for (int32_t channel : commands_.Channels()) {
      EXPECT_GE(channel, 0);
      EXPECT_LE(channel, 511);
    }
  }
};

TEST_F(BadRequestTest, RequestSplitOverSegmentsIsAnsweredOnce) {
  Start();
  bool closed = false;
  const std::string answer = Serve([&] {
    Client client(port_);
    for (const char* piece : {"G", "ET /", "2", "3 HTTP/1.1\r", "\nHost: x\r\n", "\r", "\n"}) {
      client.Send(piece);
      std::this_thread::sleep_for(30ms);
    }
    return client.ReadToClose(&closed);
  });
  EXPECT_EQ(answer, AnswerWith("Testing Channel 23"));
  EXPECT_TRUE(closed);
  Settle();
  EXPECT_EQ(commands_.Channels(), std::vector<int32_t>{23});
}

// The header never ends: the test command and the answer go as soon as the request
// line is complete, and the connection closes soon after the answer, not at the 10 s
// limit.
TEST_F(BadRequestTest, RequestWhoseHeaderNeverEndsIsAnsweredAndClosedSoon) {
  Start();
  bool closed = false;
  std::chrono::steady_clock::duration took{};
  const std::string answer = Serve([&] {
    Client client(port_);
    const auto start = std::chrono::steady_clock::now();
    client.Send("GET /31 HTTP/1.1\r\nHost: x\r\n");
    std::string read = client.ReadToClose(&closed, 9s);
    took = std::chrono::steady_clock::now() - start;
    return read;
  });
  EXPECT_EQ(answer, AnswerWith("Testing Channel 31"));
  EXPECT_TRUE(closed);
  EXPECT_LT(took, 5s);
  Settle();
  EXPECT_EQ(commands_.Channels(), std::vector<int32_t>{31});
}

TEST_F(BadRequestTest, RequestEndedByThePeerBeforeItsLineEndIsAnswered) {
  Start();
  const std::string answer = Serve([&] {
    Client client(port_);
    client.Send("GET /8");
    client.ShutdownWrite();
    return client.ReadToClose();
  });
  EXPECT_EQ(answer, AnswerWith("Testing Channel 8"));
}

// A client that shuts its sending side once the request is out still gets the whole
// answer, however much of it waits in the server when the shut-down arrives.
TEST_F(BadRequestTest, ClientThatHalfClosesAfterItsRequestGetsTheWholeAnswer) {
  std::string page = "{{ServerMessage}}";
  while (page.size() < (3u << 20)) page += "<p>half-closed</p>\n";
  WriteTemplate(page);
  Start();
  bool closed = false;
  const std::string answer = Serve([&] {
    Client client(port_, 4096);
    client.Send("GET /21 HTTP/1.1\r\n\r\n");
    client.ShutdownWrite();
    std::this_thread::sleep_for(300ms);  // the server fills every buffer first
    return client.ReadToClose(&closed);
  });
  const std::string expected = "HTTP/1.1 200 OK\r\n\r\nTesting Channel 21" + page.substr(17);
  EXPECT_EQ(answer.size(), expected.size());
  EXPECT_TRUE(answer == expected);
  EXPECT_TRUE(closed);
  Settle();
  EXPECT_EQ(form_->OpenConnections(), 0u);
}

TEST_F(BadRequestTest, VeryLongLinesAreRefusedWithoutAnAnswer) {
  Start();
  for (const std::string& request :
       {"GET /7" + std::string(100000, '7') + " HTTP/1.1\r\n\r\n",
        "GET /5 HTTP/1.1\r\nCookie: " + std::string(200000, 'c') + "\r\n\r\n",
        std::string(300000, 'A')}) {
    bool closed = false;
    const std::string answer = Serve([&] {
      Client client(port_);
      client.Send(request);  // may fail half-way: the server stops reading and closes
      return client.ReadToClose(&closed);
    });
    EXPECT_TRUE(closed);
    // Only the short request line of the second request is answered.
    EXPECT_TRUE(answer.empty() || answer == AnswerWith("Testing Channel 5")) << answer.size();
  }
  ExpectChannelsInRange();
  ExpectStillServing();
}

TEST_F(BadRequestTest, BinaryGarbageLeavesTheServerAnswering) {
  Start();
  uint32_t seed = 7;
  for (int round = 0; round < 5; ++round) {
    std::string garbage(20000, '\0');
    for (char& c : garbage) {
      seed = seed * 1664525u + 1013904223u;
      c = static_cast<char>(seed >> 24);
    }
    if (round == 3) garbage += "\r\nGET /4294967303 HTTP/1.1\r\n\r\n";  // 2^32 + 7
    Serve([&] {
      Client client(port_);
      client.Send(garbage);
      client.ShutdownWrite();
      return client.ReadToClose();
    });
  }
  ExpectChannelsInRange();
  ExpectStillServing();
}

TEST_F(BadRequestTest, NoPathSendsAChannelOutsideTheRange) {
  Start();
  const std::vector<std::string> paths = {"/511",
                                          "/512",
                                          "/65536",
                                          "/65537",
                                          "/2147483647",
                                          "/2147483648",
                                          "/4294967296",
                                          "/4294967297",
                                          "/-1",
                                          "/-2147483648",
                                          "/99999999999999999999",
                                          "/1e3",
                                          "/0x10",
                                          "/%31"};
  for (const std::string& path : paths) {
    Serve([&] { return Exchange(port_, "GET " + path + " HTTP/1.1\r\n\r\n"); });
  }
  Settle();
  std::vector<int32_t> expected(paths.size(), 0);
  expected[0] = 511;
  EXPECT_EQ(commands_.Channels(), expected);
}

TEST_F(BadRequestTest, ManyConnectionsAtOnceAreHeldWithinTheLimitAndAnswered) {
  Start();
  constexpr int kClients = 40;
  std::vector<std::unique_ptr<Client>> clients;
  // All connect first, then all ask: more than the server holds at once.
  const std::vector<std::string> answers = Serve([&] {
    for (int i = 0; i < kClients; ++i) clients.push_back(std::make_unique<Client>(port_));
    std::this_thread::sleep_for(200ms);
    for (int i = 0; i < kClients; ++i) clients[i]->Send("GET /" + std::to_string(i + 1) + "\r\n");
    std::vector<std::string> out;
    for (auto& client : clients) out.push_back(client->ReadToClose(nullptr, 2s));
    return out;
  });
  int answered = 0;
  for (int i = 0; i < kClients; ++i) {
    if (answers[i].empty()) continue;  // a connection closed to make room
    ++answered;
    EXPECT_EQ(answers[i], AnswerWith("Testing Channel " + std::to_string(i + 1)));
  }
  // The newest connections were kept.
  EXPECT_GE(answered, static_cast<int>(FrmMain::kMaxConnections));
  for (int i = kClients - static_cast<int>(FrmMain::kMaxConnections); i < kClients; ++i) {
    EXPECT_FALSE(answers[i].empty()) << i;
  }
  Settle();
  EXPECT_EQ(form_->OpenConnections(), 0u);
  ExpectStillServing();
}

TEST_F(BadRequestTest, NewConnectionDoesNotCutOffOneWhoseRequestIsOnItsWay) {
  Start();
  const std::string answer = Serve([&] {
    Client first(port_);
    first.Send("GET /6");
    std::this_thread::sleep_for(50ms);
    Client second(port_);  // a browser's spare connection
    std::this_thread::sleep_for(50ms);
    first.Send(" HTTP/1.1\r\n\r\n");
    return first.ReadToClose();
  });
  EXPECT_EQ(answer, AnswerWith("Testing Channel 6"));
}

TEST_F(BadRequestTest, PeerThatNeverReadsDoesNotHoldUpOthersAndIsDroppedInTime) {
  std::string page;
  while (page.size() < (4u << 20)) page += "{{ServerMessage}} filler filler filler\n";
  WriteTemplate(page);
  Start();
  form_->SetConnectionTimeLimit(3s);
  auto stuck = std::make_unique<Client>(port_, 4096);
  std::string other;
  const auto start = std::chrono::steady_clock::now();
  Serve([&] {
    stuck->Send("GET /3 HTTP/1.1\r\n\r\n");  // and never reads
    std::this_thread::sleep_for(200ms);
    other = Exchange(port_, "GET /4 HTTP/1.1\r\n\r\n");
    return 0;
  });
  EXPECT_GT(other.size(), page.size());
  EXPECT_EQ(other.substr(0, 36), "HTTP/1.1 200 OK\r\n\r\nTesting Channel 4");
  EXPECT_GE(form_->OpenConnections(), 1u);  // the one that does not read is still held
  EXPECT_TRUE(loop_.RunUntil([&] { return form_->OpenConnections() == 0; }, 6s));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 3s);
}

TEST_F(BadRequestTest, RequestThatNeverCompletesIsDroppedInTime) {
  Start();
  form_->SetConnectionTimeLimit(300ms);
  bool closed = false;
  Serve([&] {
    Client client(port_);
    client.Send("X-Nothing-Useful: 1\r\n");
    return client.ReadToClose(&closed, 2s);
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(form_->OpenConnections(), 0u);
}

TEST_F(BadRequestTest, PeersThatResetOrVanishLeaveTheServerAnswering) {
  Start();
  Serve([&] {
    for (int i = 0; i < 10; ++i) {
      Client client(port_);
      if (i % 2 == 0) client.Send("GET /" + std::to_string(i + 1) + " HTTP/1.1\r\n");
      client.Reset();
    }
    Client silent(port_);
    silent.Close();
    return 0;
  });
  Settle(100ms);
  ExpectChannelsInRange();
  ExpectStillServing();
  Settle(100ms);
  EXPECT_EQ(form_->OpenConnections(), 0u);
}

}  // namespace
}  // namespace quarnel::webdiag
