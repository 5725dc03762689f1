#include "webdiag/RequestReader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::webdiag {
namespace {

using State = RequestReader::State;

TEST(ChannelOfPathTest, OnlyWholeNumbersFromOneTo511SelectAChannel) {
  struct Case {
    const char* path;
    int32_t channel;
  } cases[] = {
      {"/7", 7},
      {"/1", 1},
      {"/511", 511},
      {"/007", 7},
      {"/+9", 9},
      {"/", 0},
      {"/0", 0},
      {"/512", 0},
      {"/600", 0},
      {"/-5", 0},
      {"/-0", 0},
      {"/abc", 0},
      {"/7abc", 0},
      {"/7.0", 0},
      {"/ 7", 0},
      {"/7?x=1", 0},
      {"/+", 0},
      {"/-", 0},
      {"/favicon.ico", 0},
      {"//7", 0},
      {"/4294967303", 0},  // 2^32 + 7: no wrapping to 7
      {"/99999999999999999999999999999999", 0},
      {"", 0},
      {"7", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ChannelOfPath(c.path), c.channel) << c.path;
}

TEST(ChannelOfPathTest, RequestLinesAreGetInAnyCaseWithAPathFromTheSlash) {
  struct Case {
    const char* line;
    std::optional<int32_t> channel;
  } cases[] = {
      {"GET /7 HTTP/1.1", 7},
      {"get /3 HTTP/1.1", 3},
      {"GeT /3", 3},
      {"GET /512 HTTP/1.1", 0},
      {"GET / HTTP/1.1", 0},
      {"GET /abc HTTP/1.1", 0},
      {"GET /7", 7},
      {"POST /7 HTTP/1.1", std::nullopt},
      {"GETS /7", std::nullopt},
      {"GET  /7 HTTP/1.1", std::nullopt},  // the path is empty: it ends at the next space
      {"GET http://host/7 HTTP/1.1", std::nullopt},
      {"GET", std::nullopt},
      {"GET ", std::nullopt},
      {"Host: GET /7", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ChannelOfRequestLine(c.line), c.channel) << c.line;
}

struct Fed {
  std::vector<int32_t> channels;
  State state = State::kReading;
};

Fed Feed(const std::vector<std::string>& pieces) {
  RequestReader reader;
  Fed fed;
  for (const std::string& piece : pieces) fed.state = reader.Read(piece, fed.channels);
  return fed;
}

TEST(RequestReaderTest, BrowserRequestIsCompleteAtTheEmptyLine) {
  Fed fed = Feed({"GET /7 HTTP/1.1\r\nHost: 10.0.0.2\r\nAccept: */*\r\n\r\n"});
  EXPECT_EQ(fed.channels, std::vector<int32_t>{7});
  EXPECT_EQ(fed.state, State::kComplete);
}

TEST(RequestReaderTest, RequestSplitAnywhereReadsAsInOnePiece) {
  const std::string request = "GET /42 HTTP/1.1\r\nHost: x\r\nUser-Agent: test\r\n\r\n";
  for (size_t cut = 0; cut <= request.size(); ++cut) {
    for (size_t cut2 = cut; cut2 <= request.size(); cut2 += 7) {
      Fed fed =
          Feed({request.substr(0, cut), request.substr(cut, cut2 - cut), request.substr(cut2)});
      EXPECT_EQ(fed.channels, std::vector<int32_t>{42}) << cut << "," << cut2;
      EXPECT_EQ(fed.state, State::kComplete) << cut << "," << cut2;
    }
  }
  // One byte at a time.
  RequestReader reader;
  std::vector<int32_t> channels;
  for (char c : request) reader.Read(std::string(1, c), channels);
  EXPECT_EQ(channels, std::vector<int32_t>{42});
  EXPECT_EQ(reader.CurrentState(), State::kComplete);
}

TEST(RequestReaderTest, ChannelIsReportedWhenItsLineEndsNotBefore) {
  RequestReader reader;
  std::vector<int32_t> channels;
  EXPECT_EQ(reader.Read("GET /1", channels), State::kReading);
  EXPECT_TRUE(channels.empty());  // "/1" may yet become "/12"
  reader.Read("2 HTTP/1.1\r", channels);
  EXPECT_TRUE(channels.empty());
  reader.Read("\n", channels);
  EXPECT_EQ(channels, std::vector<int32_t>{12});
  EXPECT_EQ(reader.CurrentState(), State::kReading);  // the header has not ended
}

TEST(RequestReaderTest, SimpleRequestHasNoHeader) {
  Fed fed = Feed({"GET /5\n"});
  EXPECT_EQ(fed.channels, std::vector<int32_t>{5});
  EXPECT_EQ(fed.state, State::kComplete);
  // Nothing after a complete request is read.
  fed = Feed({"GET /5\nGET /6\n"});
  EXPECT_EQ(fed.channels, std::vector<int32_t>{5});
}

TEST(RequestReaderTest, EveryGetLineOfOneHeaderCountsAndOtherLinesDoNot) {
  Fed fed =
      Feed({"GET /1 HTTP/1.1\r\nGET /2 HTTP/1.1\r\nX-Note: GET /3\r\n\r\nGET /4 HTTP/1.1\r\n\r\n"});
  EXPECT_EQ(fed.channels, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(fed.state, State::kComplete);
}

TEST(RequestReaderTest, PostEndsWithoutAChannel) {
  Fed fed = Feed({"POST /7 HTTP/1.1\r\nContent-Length: 7\r\n\r\nGET /7\n"});
  EXPECT_TRUE(fed.channels.empty());
  EXPECT_EQ(fed.state, State::kComplete);
}

TEST(RequestReaderTest, LeadingEmptyLinesAreTolerated) {
  Fed fed = Feed({"\r\n\r\n", "GET /9 HTTP/1.1\r\n\r\n"});
  EXPECT_EQ(fed.channels, std::vector<int32_t>{9});
  EXPECT_EQ(fed.state, State::kComplete);
}

TEST(RequestReaderTest, CarriageReturnsAnywhereAreDropped) {
  Fed fed = Feed({"GE\rT /\r8 HTTP/1.1\n\r\r\n"});
  EXPECT_EQ(fed.channels, std::vector<int32_t>{8});
  EXPECT_EQ(fed.state, State::kComplete);
}

TEST(RequestReaderTest, OverlongLineOrRequestIsRefused) {
  // A line one byte over the limit, with no line end yet.
  Fed fed = Feed({"GET /7" + std::string(RequestReader::kMaxLine, 'x')});
  EXPECT_EQ(fed.state, State::kRefused);
  EXPECT_TRUE(fed.channels.empty());
  // A line exactly at the limit is still read.
  fed = Feed({"GET /7 " + std::string(RequestReader::kMaxLine - 7, 'x') + "\r\n\r\n"});
  EXPECT_EQ(fed.state, State::kComplete);
  EXPECT_EQ(fed.channels, std::vector<int32_t>{7});
  // Many short header lines that never end the header.
  std::string headers = "GET /3 HTTP/1.1\r\n";
  while (headers.size() <= RequestReader::kMaxRequest) headers += "X-Filler: 0123456789\r\n";
  fed = Feed({headers});
  EXPECT_EQ(fed.state, State::kRefused);
  EXPECT_EQ(fed.channels, std::vector<int32_t>{3});  // answered before the refusal
  // Refused stays refused.
  RequestReader reader;
  std::vector<int32_t> channels;
  reader.Read(std::string(RequestReader::kMaxLine + 1, 'a'), channels);
  EXPECT_EQ(reader.Read("\r\nGET /1\r\n", channels), State::kRefused);
  EXPECT_EQ(reader.End(channels), State::kRefused);
  EXPECT_TRUE(channels.empty());
}

TEST(RequestReaderTest, EndOfStreamFinishesTheLastLine) {
  RequestReader reader;
  std::vector<int32_t> channels;
  reader.Read("GET /17", channels);
  EXPECT_EQ(reader.End(channels), State::kComplete);
  EXPECT_EQ(channels, std::vector<int32_t>{17});
  RequestReader empty;
  EXPECT_EQ(empty.End(channels), State::kComplete);
  EXPECT_EQ(channels.size(), 1u);
}

TEST(RequestReaderTest, BinaryGarbageNeverYieldsAChannelOutsideTheRange) {
  // A fixed pseudo-random stream with line ends and GET lines mixed in.
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (int round = 0; round < 200; ++round) {
    RequestReader reader;
    std::vector<int32_t> channels;
    for (int piece = 0; piece < 20 && reader.CurrentState() == State::kReading; ++piece) {
      std::string bytes;
      const size_t size = next() % 300;
      for (size_t i = 0; i < size; ++i) {
        const uint32_t r = next() >> 8;
        bytes.push_back(r % 13 == 0 ? '\n' : static_cast<char>(r & 0xff));
      }
      if (next() % 4 == 0) bytes += "GET /" + std::to_string(static_cast<int32_t>(next())) + "\n";
      reader.Read(bytes, channels);
    }
    for (int32_t channel : channels) {
      EXPECT_GE(channel, 0);
      EXPECT_LE(channel, kHighestTestChannel);
    }
  }
}

}  // namespace
}  // namespace quarnel::webdiag
