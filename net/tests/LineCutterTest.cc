#include "net/DataConversion.h"
#include "net/LineCutter.h"
#include "net/TextCodec.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::net {
namespace {

using namespace std::string_literals;

struct Cut {
  ByteQueue buffer;
  LineCutter cutter;
  std::vector<TextLine> lines;

  void Feed(const std::string& bytes) {
    buffer.Append(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    while (auto line = cutter.Next(buffer)) lines.push_back(*line);
  }
  std::string Rest() const {
    return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size());
  }
};

TEST(LineCutterTest, EachLineEndClosesALineAndIsReported) {
  struct Case {
    std::string input;
    std::vector<std::pair<std::string, LineBreak>> lines;
    std::string rest;
  };
  const Case cases[] = {
      {"one\r\ntwo\r\n", {{"one", LineBreak::kCrLf}, {"two", LineBreak::kCrLf}}, ""},
      {"one\ntwo\n", {{"one", LineBreak::kLf}, {"two", LineBreak::kLf}}, ""},
      {"one\rtwo\r", {{"one", LineBreak::kCr}, {"two", LineBreak::kCr}}, ""},
      {"a\r\nb\nc\rd",
       {{"a", LineBreak::kCrLf}, {"b", LineBreak::kLf}, {"c", LineBreak::kCr}},
       "d"},
      {"\n\n", {{"", LineBreak::kLf}, {"", LineBreak::kLf}}, ""},
      {"unfinished", {}, "unfinished"},
  };
  for (const Case& c : cases) {
    Cut cut;
    cut.Feed(c.input);
    ASSERT_EQ(cut.lines.size(), c.lines.size()) << c.input;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(cut.lines[i].text, c.lines[i].first);
      EXPECT_EQ(cut.lines[i].line_change, c.lines[i].second);
      EXPECT_FALSE(cut.lines[i].ansi);
    }
    EXPECT_EQ(cut.Rest(), c.rest);
  }
}

// Text mode and String arrays read from GetData cut lines by one rule.
TEST(LineCutterTest, TextModeCutsTheLinesAStringArrayHas) {
  for (const std::string& input :
       {"a\r\nb\nc\rd"s, "a\nb\r\nc"s, "x\r\r\ny\n\rz"s, "end\r"s, "\n\r\n\r"s, "none"s}) {
    Cut cut;
    cut.Feed(input);
    std::vector<std::string> texts;
    for (const TextLine& line : cut.lines) texts.push_back(line.text);
    texts.push_back(cut.Rest());
    const std::optional<Data> array = DataFromBytes(VarType::kString | VarType::kArray, input);
    EXPECT_EQ(texts, array->AsStrings()) << input;
  }
}

TEST(LineCutterTest, LinesSplitAcrossReadsComeOutWhole) {
  Cut cut;
  const std::string text = "first line\r\nsecond\r\nthird\n";
  for (char c : text) cut.Feed(std::string(1, c));
  ASSERT_EQ(cut.lines.size(), 3u);
  EXPECT_EQ(cut.lines[0].text, "first line");
  // A CR that arrived last closes its line at once; the LF after it is not a new line.
  EXPECT_EQ(cut.lines[0].line_change, LineBreak::kCr);
  EXPECT_EQ(cut.lines[1].text, "second");
  EXPECT_EQ(cut.lines[2].text, "third");
  EXPECT_EQ(cut.lines[2].line_change, LineBreak::kLf);
  EXPECT_EQ(cut.Rest(), "");
}

TEST(LineCutterTest, InvalidUtf8IsPassedAsAnsiText) {
  Cut cut;
  cut.Feed("caf\xC3\xA9\n"s);     // valid UTF-8
  cut.Feed("caf\xE9\n"s);         // not UTF-8: code page text
  cut.Feed("\xC3\x28 bad\r\n"s);  // broken sequence
  ASSERT_EQ(cut.lines.size(), 3u);
  EXPECT_EQ(cut.lines[0].text, "caf\xC3\xA9");
  EXPECT_FALSE(cut.lines[0].ansi);
  EXPECT_EQ(cut.lines[1].text, "caf\xC3\xA9");
  EXPECT_TRUE(cut.lines[1].ansi);
  EXPECT_TRUE(cut.lines[2].ansi);
}

TEST(LineCutterTest, OnlyTheFirst2048BytesAreCheckedForUtf8) {
  Cut cut;
  std::string line(2047, 'a');
  line += "\xC3\xA9";  // a sequence cut by the check boundary is still fine
  line += "\xFF";      // malformed, but past the checked part
  cut.Feed(line + "\n");
  ASSERT_EQ(cut.lines.size(), 1u);
  EXPECT_FALSE(cut.lines[0].ansi);
  EXPECT_EQ(cut.lines[0].text.substr(2047), "\xC3\xA9\xEF\xBF\xBD");  // U+FFFD for the bad byte
}

TEST(LineCutterTest, Utf16TextIsRecognisedByItsLineEnds) {
  Cut cut;
  cut.Feed(Utf8ToUtf16Le("h\xC3\xA9llo\r\nworld\n"));
  ASSERT_EQ(cut.lines.size(), 2u);
  EXPECT_EQ(cut.lines[0].text, "h\xC3\xA9llo");
  EXPECT_EQ(cut.lines[0].line_change, LineBreak::kCrLf);
  EXPECT_FALSE(cut.lines[0].ansi);
  EXPECT_EQ(cut.lines[1].text, "world");
  EXPECT_EQ(cut.lines[1].line_change, LineBreak::kLf);
}

TEST(LineCutterTest, LongLineInManyPiecesStaysWhole) {
  Cut cut;
  std::string piece(1000, 'x');
  for (int i = 0; i < 1000; ++i) cut.Feed(piece);
  EXPECT_TRUE(cut.lines.empty());
  cut.Feed("y\nz");
  ASSERT_EQ(cut.lines.size(), 1u);
  EXPECT_EQ(cut.lines[0].text.size(), 1000001u);
  EXPECT_EQ(cut.Rest(), "z");
}

}  // namespace
}  // namespace quarnel::net
