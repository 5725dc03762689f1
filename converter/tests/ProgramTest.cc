// DMXRecaster as installed and run by people: a show made with dlstool, converted, and the
// result read back with dlstool; exit statuses and messages for what it refuses. The same
// tests run on Linux and, against the Windows build, under Wine.
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using quarnel::platform::testing::ToolRun;

// Standard output and error with Windows' CR LF line ends read as LF, so that both
// systems' programs are held to the same text.
std::string Lines(std::string text) {
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines.push_back(text[i]);
  }
  return lines;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("recaster-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(quarnel::platform::testing::CurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "shows");
    // A copy of the folder the installation rule gave (the program beside the library),
    // so that the remap table each test's program keeps beside itself is its own.
    fs::copy(QUARNEL_INSTALL_FOLDER, dir_ / "install", fs::copy_options::recursive);
    ASSERT_TRUE(fs::exists(dir_ / "install" / ("DMXRecaster" QUARNEL_EXE_SUFFIX)));
    ASSERT_TRUE(fs::exists(dir_ / "install" / QUARNEL_DATA_LIBRARY_FILE));
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs an installed program on files in the shows folder, named by `args` (one word
  // each) relative to it.
  ToolRun Installed(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> full;
    for (const std::string& a : args) {
      full.push_back(a.size() > 2 && a.compare(0, 2, "--") != 0 &&
                             (a.ends_with(".dls") || a.ends_with(".json") || a.ends_with(".txt"))
                         ? quarnel::platform::Utf8FromPath(dir_ / "shows" / a)
                         : a);
    }
    ToolRun run = quarnel::platform::testing::RunTool(
        dir_ / "install" / (program + QUARNEL_EXE_SUFFIX), full);
    run.out = Lines(run.out);
    run.err = Lines(run.err);
    return run;
  }
  static std::string Read(const fs::path& file) {
    std::stringstream s;
    s << std::ifstream(file, std::ios::binary).rdbuf();
    return s.str();
  }

  fs::path dir_;
};

json Channel(int device, int channel, const std::string& name, int type,
             json settings = json::object()) {
  return {{"Network", 1},       {"Device", device}, {"Channel", channel},  {"Name", name},
          {"DeviceType", type}, {"Color", 255},     {"Settings", settings}};
}

TEST_F(ProgramTest, ConvertsAShowOfEveryKindOfChannel) {
  json show = {{"Title", "Every channel"}, {"Length", 6 * 44100}};
  show["Channels"] = {
      {{"Network", 0},
       {"Device", 0},
       {"Channel", 0},
       {"Name", "[Reserved Channel]"},
       {"DeviceType", 0}},
      Channel(1, 1, "Single", 1),
      Channel(2, 3, "Half A", 2),
      Channel(3, 3, "Half B", 2),
      Channel(4, 2, "Pixel", 11),
      Channel(8, 1, "Wash", 12, {{"16", 8}, {"17", 9}, {"18", 2}, {"19", 1}}),
  };
  const int commands[] = {33, 34, 36, 37, 38, 35};
  for (const auto& c : show["Channels"]) {
    if (c["Channel"] == 0) continue;
    for (int k = 0; k < 6; ++k) {
      const bool colour = commands[k] == 38;
      show["Events"].push_back({{"Network", 1},
                                {"Device", c["Device"]},
                                {"Channel", c["Channel"]},
                                {"SampleNumber", k * 44100},
                                {"Command", commands[k]},
                                {"StartIntensity", colour ? 0x00FF00 : 240},
                                {"EndIntensity", colour ? 0x0000FF : 1},
                                {"Setting0", k == 4 ? 2 : 0}});
    }
  }
  std::ofstream(dir_ / "shows" / "show.json") << show.dump();
  ToolRun made = Installed("dlstool", {"create", "show.json", "Show.dls"});
  ASSERT_EQ(made.status, 0) << made.err;

  const ToolRun run = Installed("DMXRecaster", {"Show.dls"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("== DMX Recaster =="), std::string::npos);
  EXPECT_NE(run.out.find("Saving Sequence\n"), std::string::npos);
  EXPECT_EQ(run.out.find('\r'), std::string::npos);  // not a terminal: plain lines
  const std::string report = Read(dir_ / "shows" / "Show_DMX.txt");
  EXPECT_EQ(report.rfind("Device Report\r\n\r\n", 0), 0u);
  EXPECT_EQ(fs::file_size(dir_ / "install" / "device_remap_nd.dat"), 31812u);

  // Each new channel at the address its report line gives.
  const std::map<std::string, int> addresses = {
      {"Single", 1},       {"Half A", 19},        {"Half B", 27},
      {"Pixel (Red)", 36}, {"Pixel (Green)", 37}, {"Pixel (Blue)", 38},
      {"Wash (Red)", 81},  {"Wash (Green)", 82},  {"Wash (Blue)", 97}};
  const ToolRun dump = Installed("dlstool", {"dump", "Show_DMX.dls"});
  ASSERT_EQ(dump.status, 0) << dump.err;
  const json converted = json::parse(dump.out);
  std::set<std::pair<int, int>> channels;
  for (const json& c : converted["Channels"]) {
    if (c["Network"] != 32) continue;
    const std::string name = c["Name"];
    const int address = (c["Device"].get<int>() - 1) * 16 + c["Channel"].get<int>();
    EXPECT_EQ(addresses.at(name), address) << name;
    std::ostringstream line;
    line << "   " << address << "\r\n";
    EXPECT_NE(report.find(name), std::string::npos);
    EXPECT_NE(report.find(line.str()), std::string::npos) << name;
    channels.insert({c["Device"].get<int>(), c["Channel"].get<int>()});
  }
  EXPECT_EQ(channels.size(), addresses.size());
  std::set<std::pair<int, int>> with_events;
  for (const json& e : converted["Events"]) {
    EXPECT_EQ(e["Network"], 32);
    EXPECT_EQ(e["Command"], 33);
    with_events.insert({e["Device"].get<int>(), e["Channel"].get<int>()});
  }
  EXPECT_EQ(with_events, channels);
  EXPECT_EQ(converted["Title"], "Every channel");
}

TEST_F(ProgramTest, RefusesWhatCannotWork) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"--twinkle-rate", "0", "Show.dls"}, 2, "--twinkle-rate"},
      {{"--twinkle-density", "101", "Show.dls"}, 2, "--twinkle-density"},
      {{"--ramp-resolution", "x", "Show.dls"}, 2, "--ramp-resolution"},
      {{"Show.txt"}, 2, "does not end in \".dls\""},
      {{"--seed", "16777216", "Show.dls"}, 2, "--seed"},
      {{}, 2, "give the sequence files"},
      {{"Missing.dls"}, 1, "error "},
  };
  for (const Case& c : cases) {
    const ToolRun run = Installed("DMXRecaster", c.args);
    EXPECT_EQ(run.status, c.status) << c.says;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.says << ": " << run.err;
  }
  const ToolRun help = Installed("DMXRecaster", {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("multiples of 26 milliseconds"), std::string::npos);
  EXPECT_NE(help.out.find("--shimmer-rate"), std::string::npos);
}

}  // namespace
