#include "webdiag/Page.h"

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace quarnel::webdiag {
namespace {

TEST(PageTest, MessageSaysWhichChannelIsUnderTest) {
  EXPECT_EQ(StatusMessage(7), "Testing Channel 7");
  EXPECT_EQ(StatusMessage(511), "Testing Channel 511");
  EXPECT_EQ(StatusMessage(0), "No Tests Running");
  EXPECT_EQ(StatusMessage(-3), "No Tests Running");
}

TEST(PageTest, EveryMarkerIsReplacedInExactCaseOnly) {
  struct Case {
    const char* page;
    const char* filled;
  } cases[] = {
      {"<h1>{{ServerMessage}}</h1>", "<h1>M</h1>"},
      {"{{ServerMessage}}{{ServerMessage}}", "MM"},
      {"a{{ServerMessage}}b{{ServerMessage}}c", "aMbMc"},
      {"{{servermessage}} {{ServerMessage}", "{{servermessage}} {{ServerMessage}"},
      {"{{{ServerMessage}}}", "{M}"},
      {"", ""},
      {"no marker", "no marker"},
  };
  for (const Case& c : cases) EXPECT_EQ(FillPage(c.page, "M"), c.filled) << c.page;
  // The message is put in once, not searched again.
  EXPECT_EQ(FillPage("<{{ServerMessage}}>", "{{ServerMessage}}"), "<{{ServerMessage}}>");
}

TEST(PageTest, AnswerIsTheStatusLineThenThePageBytesUnchanged) {
  const std::string page = std::string("caf\xc3\xa9 \x00\xff ", 9) + "{{ServerMessage}}\r\n";
  EXPECT_EQ(Answer(page, 7), std::string("HTTP/1.1 200 OK\r\n\r\ncaf\xc3\xa9 \x00\xff ", 28) +
                                 "Testing Channel 7\r\n");
  EXPECT_EQ(Answer("", 0), "HTTP/1.1 200 OK\r\n\r\n");
}

TEST(PageTest, FallbackPageCarriesTheMessageAndAsksForNothing) {
  const std::string page = FillPage(FallbackTemplate(), "Testing Channel 3");
  EXPECT_NE(page.find("<h1>Testing Channel 3</h1>"), std::string::npos);
  EXPECT_NE(page.find("template.htm"), std::string::npos);
  EXPECT_NE(page.find("rel=\"icon\" href=\"data:,\""), std::string::npos);
  EXPECT_EQ(page.find("src="), std::string::npos);
}

// The page shipped beside the program.
std::string ShippedTemplate() {
  std::ifstream in(QUARNEL_WEBDIAG_TEMPLATE, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ShippedTemplateTest, HasTheMarkerAndTheControlsAPhoneNeeds) {
  const std::string page = ShippedTemplate();
  ASSERT_FALSE(page.empty());
  EXPECT_NE(page.find("<h1 id=\"message\" role=\"status\">{{ServerMessage}}</h1>"),
            std::string::npos);
  for (const char* needed : {"name=\"viewport\"", "id=\"channel\"", "id=\"prev\"", "id=\"next\"",
                             "id=\"stop\"", "href=\"/\"", "min=\"1\"", "max=\"511\""}) {
    EXPECT_NE(page.find(needed), std::string::npos) << needed;
  }
}

TEST(ShippedTemplateTest, AsksTheServerForNothingElse) {
  const std::string page = ShippedTemplate();
  // An inline icon keeps the browser from asking for /favicon.ico, which would select
  // channel 0 and end the test just started.
  EXPECT_NE(page.find("<link rel=\"icon\" href=\"data:,\">"), std::string::npos);
  for (const char* outside : {"src=", "@import", "url(", "rel=\"stylesheet\"", "rel=\"manifest\"",
                              "rel=\"preload\"", "rel=\"prefetch\"", "http://", "https://"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  // Only links to channels: "/" and the script's "/" + n.
  size_t at = 0;
  while ((at = page.find("href=\"", at)) != std::string::npos) {
    at += 6;
    const std::string target = page.substr(at, page.find('"', at) - at);
    EXPECT_TRUE(target == "/" || target == "data:,") << target;
  }
}

}  // namespace
}  // namespace quarnel::webdiag
