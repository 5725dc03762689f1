// dlstool create and compose: a document built from the JSON that dump prints, saved and
// compiled; and errors that name the entry the document refuses.
#include "dataapi/RampCalc.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/tests/TestSystem.h"
#include "tools/dlstool/DlsCreate.h"
#include "tools/dlstool/DlsJson.h"
#include "tools/tests/ToolRun.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quarnel::dlstool {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string JsonOf(const Ref<dataapi::File>& doc) {
  std::ostringstream out;
  WriteSequenceJson(out, LoadedSequence{doc, {}, {}, {}});
  return out.str();
}

// A document with a value in every field the JSON carries.
const char* const kShow = R"({
  "Name": "/shows/winter.dls", "Title": "Caf\u00e9", "Author": "Ann", "AVFile": "a.mp3",
  "Picture": "p.bmp", "Width": 640, "Height": 480, "Top": -5, "Left": 6, "Version": 3.12,
  "EditCount": 12, "Length": 2000000, "AlternateMediaFile": "b.wav", "ImageBrightness": 80,
  "Channels": [
    {"Network": 0, "Device": 0, "Channel": 0, "Name": "[Reserved Channel]", "DeviceType": 0,
     "Color": 0, "Settings": {}},
    {"Network": 0, "Device": 2, "Channel": 1, "Name": "Tree", "DeviceType": 12, "Color": 255,
     "Settings": {"16": 2, "17": 2, "18": 2, "19": 3, "255": -1}},
    {"Network": 1, "Device": 1, "Channel": 1, "Name": "Lamp", "DeviceType": 3, "Color": 7,
     "Settings": {"0": 9}}
  ],
  "Events": [
    {"Network": 0, "Device": 2, "Channel": 1, "SampleNumber": 1000, "Command": 38,
     "StartIntensity": 0, "EndIntensity": 16777215, "ShortInterval": 1, "LongInterval": 2,
     "Setting0": 3},
    {"Network": 1, "Device": 1, "Channel": 1, "SampleNumber": 0, "Command": 34,
     "StartIntensity": 1, "EndIntensity": 240, "ShortInterval": 0, "LongInterval": 0,
     "Setting0": 0},
    {"Network": 1, "Device": 1, "Channel": 1, "SampleNumber": 5000, "Command": 33,
     "StartIntensity": 240, "EndIntensity": 240, "ShortInterval": 0, "LongInterval": 0,
     "Setting0": 0}
  ],
  "DrawObjects": [
    {"Network": 0, "Device": 2, "Channel": 1, "X1": 1, "X2": 2, "Y1": 3, "Y2": 4,
     "ArcStart": 1.001, "ArcEnd": 0.25, "Radius": 5, "Aspect": -0.001, "Style": 2}
  ],
  "Timeline": [0, 4410, 88200],
  "Tools": [], "History": [], "Compiled": []
})";

TEST(DlsCreateTest, ADocumentPrintsBackAsTheJsonItWasBuiltFrom) {
  const json show = json::parse(kShow);
  Ref<dataapi::File> doc = DocumentFromJson(show);
  EXPECT_EQ(json::parse(JsonOf(doc)), show);
  EXPECT_TRUE(doc->AutoRefresh());
  EXPECT_EQ(doc->Bookmark()->FindLeft(1, 1000), 0);  // rebuilt once everything was in
}

TEST(DlsCreateTest, LeftOutValuesKeepANewDocumentsDefaults) {
  Ref<dataapi::File> doc = DocumentFromJson(json::parse(R"({"Title": "Only a title"})"));
  EXPECT_TRUE(doc->Title() == u"Only a title");
  EXPECT_EQ(doc->ImageBrightness(), 100);
  EXPECT_EQ(doc->Channels()->GetBounds(), 0);  // the reserved channel
  EXPECT_EQ(doc->Events()->GetBounds(), -1);
  // An empty list replaces the new document's list, reserved channel and all.
  EXPECT_EQ(DocumentFromJson(json::parse(R"({"Channels": []})"))->Channels()->GetBounds(), -1);
}

TEST(DlsCreateTest, WhatTheDocumentRefusesIsNamed) {
  struct Case {
    const char* json;
    const char* message;
  };
  const Case cases[] = {
      {R"([1, 2])", "the document: must be an object"},
      {R"({"Title": 5})", "the document: Title must be text, not 5"},
      {R"({"Width": 3000000000})", "Width must be a 32-bit integer, not 3000000000"},
      {R"({"Channels": [{"Device": 1, "Name": "A"}, {"Device": 1, "Name": "B"}]})",
       "Channels[1]: the channel list refuses this channel: the address 0,1,0 is already in "
       "the list"},
      {R"({"Channels": [{"Device": 1, "Name": "A"}, {"Device": 2, "Name": "A"}]})",
       "Channels[1]: the channel list refuses this channel: the name \"A\" is already in the "
       "list"},
      {R"({"Channels": [{"Device": 1}, {"Device": 2}]})",
       "Channels[1]: the channel list refuses this channel: the name \"\" is already in the "
       "list"},
      {R"({"Channels": [{"Name": "A", "Settings": {"256": 1}}]})",
       "Channels[0].Settings: \"256\" is no setting number (0 to 255)"},
      {R"({"Events": [{"Channel": 1, "SampleNumber": 5}, {"Channel": 2},
                      {"Channel": 1, "SampleNumber": 5}]})",
       "Events[2] (0,0,1 at sample 5): the events refuse this event: Events[0] (0,0,1 at sample "
       "5) is at the same channel and sample"},
      {R"({"Events": [{"Network": -2000000000, "Device": -2000000000,
                       "Channel": -2000000000, "SampleNumber": -2000000000}]})",
       "Events[0] (-2000000000,-2000000000,-2000000000 at sample -2000000000): the events "
       "refuse this event: its address and sample are too long for the event table"},
      {R"({"Events": [{"Command": 1.5}]})", "Events[0]: Command must be a 32-bit integer"},
      {R"({"DrawObjects": [{"Network": 1000000, "Device": 1000000}]})",
       "DrawObjects[0]: the drawing refuses this object"},
      {R"({"Timeline": [5, 5]})", "Timeline[1]: the timeline refuses the mark 5"},
      {R"({"Timeline": ["5"]})", "Timeline[0]: a mark must be a 32-bit sample number"},
  };
  for (const Case& c : cases) {
    try {
      DocumentFromJson(json::parse(c.json));
      ADD_FAILURE() << "no error for " << c.json;
    } catch (const CreateError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << e.what() << "\n  expected: " << c.message;
    }
  }
  // Text that is no UTF-8 (a parsed file cannot hold it, a built value can).
  try {
    DocumentFromJson(json{{"Title", std::string("Caf\xe9")}});
    ADD_FAILURE() << "no error for text that is no UTF-8";
  } catch (const CreateError& e) {
    EXPECT_STREQ(e.what(), "the document.Title: the text is not UTF-8");
  }
}

// The tool itself: create, then dump and compose of what it wrote.
class DlsCreateToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("dlscreate-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(platform::testing::CurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs dlstool; its standard output, and the exit status in `status`.
  std::string Tool(const std::string& args, int* status = nullptr) {
    const tools_testing::ToolRun r =
        tools_testing::RunTool(std::string("\"") + DLSTOOL_PATH + "\" " + args);
    if (status) *status = r.status;
    return r.out;
  }
  std::string Path(const std::string& name) const { return "\"" + (dir_ / name).string() + "\""; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  fs::path dir_;
};

TEST_F(DlsCreateToolTest, ABackupDumpsBackAsTheDocumentItWasMadeFrom) {
  Write("show.json", kShow);
  int status = -1;
  Tool("create " + Path("show.json") + " " + Path("show.bak") + " --type bak", &status);
  ASSERT_EQ(status, 0);
  json back = json::parse(Tool("dump " + Path("show.bak") + " --type bak"));
  json expected = json::parse(kShow);
  // A backup works out fades' ramp intervals afresh and stores no others.
  const dataapi::RampIntervals fade = dataapi::CalcRampIntervals(5000);
  expected["Events"][0]["ShortInterval"] = 0;
  expected["Events"][0]["LongInterval"] = 0;
  expected["Events"][1]["ShortInterval"] = fade.first;
  expected["Events"][1]["LongInterval"] = fade.second;
  // Its data holds the events themselves, one record each.
  ASSERT_EQ(back["Compiled"].size(), 3u);
  EXPECT_EQ(back["Compiled"][1]["Command"], 34);
  back.erase("Compiled");
  expected.erase("Compiled");
  EXPECT_EQ(back, expected);
}

TEST_F(DlsCreateToolTest, ComposeGivesTheSameRecordsFromJsonAndFromTheSavedFile) {
  Write("show.json", kShow);
  int status = -1;
  Tool("create " + Path("show.json") + " " + Path("show.dls"), &status);
  ASSERT_EQ(status, 0);
  const json from_json = json::parse(Tool("compose " + Path("show.json"), &status));
  EXPECT_EQ(status, 0);
  const json from_file = json::parse(Tool("compose " + Path("show.dls"), &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(from_json, from_file);
  EXPECT_EQ(from_json, json::parse(Tool("dump " + Path("show.dls")))["Compiled"]);
  ASSERT_FALSE(from_json.empty());
  EXPECT_EQ(from_json[0]["Command"], 10034);  // the short fade at sample 0
}

TEST_F(DlsCreateToolTest, ARefusedEntryEndsTheToolWithNothingWritten) {
  Write("bad.json", R"({"Events": [{"Channel": 1}, {"Channel": 1}]})");
  int status = -1;
  Tool("create " + Path("bad.json") + " " + Path("bad.dls"), &status);
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "bad.dls"));
  Tool("create " + Path("bad.json"), &status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace quarnel::dlstool
