// dlstool as people and scripts run it: the JSON of a loaded sequence and of a block
// file, and a clear message with a non-zero exit status for what it cannot load.
#include "dataapi/tests/SequenceFiles.h"
#include "platform/tests/TestSystem.h"
#include "tools/tests/ToolRun.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quarnel::dataapi::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using tools_testing::RunTool;
using tools_testing::ToolRun;

class DlsToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) / ("dlstool-" + std::string(info->name()) + "-" +
                                             std::to_string(platform::testing::CurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs dlstool with `args`, standard output and standard error apart.
  ToolRun Tool(const std::string& args, const std::string& env = "") {
    return RunTool(env + " \"" + DLSTOOL_PATH + "\" " + args);
  }

  std::string Quoted(const std::string& name) { return "\"" + (dir_ / name).string() + "\""; }

  SequenceFile Show() {
    SequenceFile f;
    f.SetText("name", "/shows/kept.dls");
    f.SetText("title", "Caf\xe9 lights");  // code page 1252
    f.Set("length", 882000).Set("width", 640);
    f.SetText("events", MarksImage({4410}));
    f.SetText("channels", ChannelTableImage({{"[Reserved Channel]"},
                                             {"Lamp", 0, 2, 3, 12, 255, {{16, 2}, {200, -1}}}}));
    f.SetText("vectorgraphics", DrawingTableImage({{1, 2, 10, 20, 30, 40, 250, 0, 5, 1000}}));
    f.SetText("toolconfig", ToolTableImage({{7, 1, 240, {3}}}));
    f.SetText("toolhistory", ToolTableImage({{8, 2, 239, {4}}, {9, 3, 238, {}}}));
    f.SetData(
        {{100, 0, 2, 0x0005, 33, 10, 20, 0, 0, 1}, {200, 0, 2, 0x0001, -33, 240, 240, 0, 0, 0}});
    return f;
  }

  fs::path dir_;
};

TEST_F(DlsToolTest, DumpPrintsTheLoadedDocument) {
  Show().Write(dir_ / "show.dls");
  const ToolRun r = Tool("dump " + Quoted("show.dls"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");  // quiet when standard error is no terminal
  const json doc = json::parse(r.out);
  const nlohmann::ordered_json ordered = nlohmann::ordered_json::parse(r.out);
  std::vector<std::string> keys;
  for (auto it = ordered.begin(); it != ordered.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"Name",
                                            "Title",
                                            "Author",
                                            "AVFile",
                                            "Picture",
                                            "Width",
                                            "Height",
                                            "Top",
                                            "Left",
                                            "Version",
                                            "EditCount",
                                            "Length",
                                            "AlternateMediaFile",
                                            "ImageBrightness",
                                            "Channels",
                                            "Events",
                                            "DrawObjects",
                                            "Timeline",
                                            "Tools",
                                            "History",
                                            "Compiled"}));
  EXPECT_EQ(doc["Name"], (dir_ / "show.dls").string());
  EXPECT_EQ(doc["Title"], "Caf\xc3\xa9 lights");
  EXPECT_EQ(doc["Length"], 882000);
  EXPECT_EQ(doc["Width"], 640);
  EXPECT_EQ(doc["Version"], 3.0);
  EXPECT_EQ(doc["ImageBrightness"], 100);
  EXPECT_EQ(doc["Channels"][1],
            json::parse(R"({"Network": 0, "Device": 2, "Channel": 3, "Name": "Lamp",
                            "DeviceType": 12, "Color": 255, "Settings": {"16": 2, "200": -1}})"));
  EXPECT_EQ(doc["Channels"][0]["Settings"], json::object());
  EXPECT_EQ(doc["Events"], json::parse(R"([
      {"Network": 0, "Device": 2, "Channel": 1, "SampleNumber": 100, "Command": 33,
       "StartIntensity": 10, "EndIntensity": 20, "ShortInterval": 0, "LongInterval": 0,
       "Setting0": 1},
      {"Network": 0, "Device": 2, "Channel": 3, "SampleNumber": 100, "Command": 33,
       "StartIntensity": 10, "EndIntensity": 20, "ShortInterval": 0, "LongInterval": 0,
       "Setting0": 1}])"));
  EXPECT_EQ(doc["DrawObjects"], json::parse(R"([
      {"Network": 0, "Device": 2, "Channel": 3, "X1": 10, "X2": 30, "Y1": 20, "Y2": 40,
       "ArcStart": 0.25, "ArcEnd": 0.0, "Radius": 5, "Aspect": 1.0, "Style": 2}])"));
  EXPECT_EQ(doc["Timeline"], json::parse("[4410]"));
  EXPECT_EQ(doc["Tools"], json::parse(R"([{"ToolID": 7, "StartIntensity": 1,
                                           "EndIntensity": 240, "Parameters": [3]}])"));
  ASSERT_EQ(doc["History"].size(), 2u);
  EXPECT_EQ(doc["History"][1]["ToolID"], 9);
  ASSERT_EQ(doc["Compiled"].size(), 2u);
  EXPECT_EQ(doc["Compiled"][1],
            json::parse(R"({"SampleNumber": 200, "Network": 0, "Device": 2, "ChannelMask": 1,
                            "Command": -33, "StartIntensity": 240, "EndIntensity": 240,
                            "ShortInterval": 0, "LongInterval": 0, "Setting0": 0})"));
}

TEST_F(DlsToolTest, DumpLoadsEachFileType) {
  Show().Write(dir_ / "show.dls");
  const json fast = json::parse(Tool("dump --type fast " + Quoted("show.dls")).out);
  EXPECT_TRUE(fast["DrawObjects"].is_null());
  EXPECT_EQ(fast["Events"], json::array());
  EXPECT_EQ(fast["Tools"], json::array());
  const json bak = json::parse(Tool("dump " + Quoted("show.dls") + " --type bak").out);
  EXPECT_EQ(bak["Name"], "/shows/kept.dls");
  EXPECT_EQ(bak["Events"].size(), 2u);  // the rows themselves, the -33 one too
  EXPECT_EQ(bak["Events"][0]["Command"], -33);
  EXPECT_EQ(bak["Events"][1]["Channel"], 5);  // the row holds the channel, not a mask
}

TEST_F(DlsToolTest, DumpLeavesTheLibraryWorkspaceAlone) {
  Show().Write(dir_ / "show.dls");
  const fs::path library_cache = fs::path(DLSTOOL_PATH).parent_path() / "chcache.tmp";
  auto content = [&] {
    std::ifstream in(library_cache, std::ios::binary);
    return in ? std::string((std::istreambuf_iterator<char>(in)), {}) : "<missing>";
  };
  const std::string before = content();
  ASSERT_EQ(Tool("dump " + Quoted("show.dls"), "env -u QUARNEL_WORKSPACE").status, 0);
  EXPECT_EQ(content(), before);
  // With QUARNEL_WORKSPACE the caches go there.
  ASSERT_EQ(Tool("dump " + Quoted("show.dls"), "QUARNEL_WORKSPACE=" + Quoted("ws")).status, 0);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "ws" / "chcache.tmp"));
}

TEST_F(DlsToolTest, CompiledPrintsTheRecordsOfABlock) {
  const std::vector<CompiledRecord> records = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                                               {-1, 0, 0, 0x8000, 10034, 1, 240, 39, 136, 0}};
  std::ofstream(dir_ / "composed.tmp", std::ios::binary) << WriteCompiledBlock(records);
  const ToolRun r = Tool("compiled " + Quoted("composed.tmp"));
  ASSERT_EQ(r.status, 0) << r.err;
  const json out = json::parse(r.out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0]["Setting0"], 10);
  EXPECT_EQ(out[1]["ChannelMask"], 0x8000);
  EXPECT_EQ(out[1]["SampleNumber"], -1);
  std::ofstream(dir_ / "empty.tmp", std::ios::binary);
  EXPECT_EQ(json::parse(Tool("compiled " + Quoted("empty.tmp")).out), json::array());
}

TEST_F(DlsToolTest, ErrorsSayWhatIsWrongWithTheFile) {
  SequenceFile bad = Show();
  bad.SetText("data", std::string(41, 'x'));
  bad.Write(dir_ / "bad.dls");
  SequenceFile untitled = Show();
  untitled.Remove("title").Write(dir_ / "untitled.dls");
  std::ofstream(dir_ / "short.tmp", std::ios::binary) << std::string(39, '\0');
  struct Case {
    std::string args;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"dump " + Quoted("missing.dls"), 1, "missing.dls"},
      {"dump " + Quoted("bad.dls"), 1, "holds 41 bytes, which is not a whole number"},
      {"dump " + Quoted("untitled.dls"), 1, "the sequence file has no field \"title\""},
      {"compiled " + Quoted("short.tmp"), 1, "39 bytes"},
      {"compiled " + Quoted("missing.tmp"), 1, "missing.tmp"},
      {"dump --type other " + Quoted("bad.dls"), 2, "other"},
      {"", 2, "subcommand"},
  };
  for (const Case& c : cases) {
    const ToolRun r = Tool(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    if (c.status == 1) {
      EXPECT_EQ(r.out, "") << c.args;
    }
  }
}

}  // namespace
}  // namespace quarnel::dataapi::testing
