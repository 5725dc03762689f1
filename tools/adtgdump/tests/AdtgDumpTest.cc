// adtgdump as people and scripts run it: the JSON of a file, the --hex form, and a clear
// message with exit status 1 for a file it cannot read.
#include "tools/tests/ToolRun.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

namespace fs = std::filesystem;
const fs::path kData = QUARNEL_RECORDSET_TEST_DATA;

struct DumpRun {
  int status;
  std::string out;
};

// Runs adtgdump with `args`; standard error is captured after standard output.
DumpRun Dump(const std::string& args) {
  const quarnel::tools_testing::ToolRun r =
      quarnel::tools_testing::RunTool(std::string("\"") + ADTGDUMP_PATH + "\" " + args);
  return {r.status, r.out + r.err};
}

std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

TEST(AdtgDumpTest, PrintsFieldsAndRowsWithTheirStates) {
  const DumpRun r = Dump(Quoted(kData / "tablegram/exhaustive/flat_Integer_states.adtg"));
  ASSERT_EQ(r.status, 0) << r.out;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(
      doc["fields"][1],
      nlohmann::json(
          {{"name", "VALUE_FIELD"}, {"type", "adInteger"}, {"definedSize", 4}, {"flags", 0x34}}));
  ASSERT_EQ(doc["rows"].size(), 4u);
  EXPECT_EQ(doc["rows"][0]["status"], "deleted");
  EXPECT_EQ(doc["rows"][1]["status"], "modified");
  EXPECT_EQ(doc["rows"][2]["status"], "unchanged");
  EXPECT_EQ(doc["rows"][3]["status"], "inserted");
}

TEST(AdtgDumpTest, NullAndEmptyTextDifferAndHexShowsTheStoredBytes) {
  DumpRun r = Dump(Quoted(kData / "tablegram/generated/nulls.adtg"));
  ASSERT_EQ(r.status, 0) << r.out;
  auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["rows"][0]["values"], nlohmann::json::parse("[1, null, null]"));
  EXPECT_EQ(doc["rows"][1]["values"], nlohmann::json::parse("[2, \"\", 0]"));

  r = Dump(Quoted(kData / "tablegram/exhaustive/flat_VarChar_boundaries.adtg") + " --hex");
  ASSERT_EQ(r.status, 0) << r.out;
  doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["rows"][3]["values"][1], "c7d1b1db");  // code page 949 bytes as stored
  EXPECT_EQ(doc["rows"][5]["values"][1], nullptr);
}

TEST(AdtgDumpTest, UnreadableFileNamesTheOffsetAndExitsWithOne) {
  const fs::path cut = fs::temp_directory_path() / "adtgdump-test-cut.adtg";
  {
    std::ifstream in(kData / "tablegram/exhaustive/flat_VarChar_boundaries.adtg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, 0x170);
  }
  DumpRun r = Dump(Quoted(cut));
  fs::remove(cut);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("byte 368: expected"), std::string::npos) << r.out;

  r = Dump(Quoted(kData / "no-such-file.adtg"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("cannot open"), std::string::npos) << r.out;

  r = Dump("");
  EXPECT_EQ(r.status, 2) << r.out;
}

}  // namespace
