// Every tool given input it cannot use (a folder, a missing file, bytes of the wrong
// kind) says so in one line on standard error naming the file and the reason, and exits
// with status 1: never an abort, never a trace of the program's insides.
#include "platform/tests/TestSystem.h"
#include "tools/tests/ToolRun.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using quarnel::tools_testing::RunTool;
using quarnel::tools_testing::ToolRun;

TEST(BadInputTest, EveryToolRefusesInputItCannotUseInOneLineWithStatusOne) {
  const fs::path dir =
      fs::path(::testing::TempDir()) /
      ("tools-bad-" + std::to_string(quarnel::platform::testing::CurrentProcessId()));
  fs::create_directories(dir / "folder.dls");
  std::ofstream(dir / "text.dls") << "plain words, not a saved table\n";
  std::ofstream(dir / "broken.json") << "{\"Title\": ";
  const std::string adtgdump = std::string("\"") + ADTGDUMP_PATH + "\" ";
  const std::string dlstool = std::string("\"") + DLSTOOL_PATH + "\" ";
  auto q = [&](const std::string& name) { return "\"" + (dir / name).string() + "\""; };
  struct Case {
    std::string command;
    std::string file;  // named in the message
  };
  const Case cases[] = {
      {adtgdump + q("folder.dls"), "folder.dls"},
      {adtgdump + q("missing.dls"), "missing.dls"},
      {adtgdump + q("text.dls"), "text.dls"},
      {dlstool + "dump " + q("folder.dls"), "folder.dls"},
      {dlstool + "dump --type bak " + q("text.dls"), "text.dls"},
      {dlstool + "compiled " + q("folder.dls"), "folder.dls"},
      {dlstool + "compose " + q("folder.dls"), "folder.dls"},
      {dlstool + "compose " + q("broken.json"), "broken.json"},
      {dlstool + "create " + q("broken.json") + " " + q("out.dls"), "broken.json"},
      {dlstool + "create " + q("folder.dls") + " " + q("out.dls"), "folder.dls"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const ToolRun r = RunTool(c.command);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line
    EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;
  }
  fs::remove_all(dir);
}

}  // namespace
