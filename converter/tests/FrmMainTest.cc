// The window as the installed shortcut opens it: no files on the command line, so it asks
// for one after another on its standard input (here a pipe) and converts each as it comes.
#include "converter/FrmMain.h"
#include "converter/tests/RecastFixture.h"
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <sstream>

#include <gtest/gtest.h>

namespace quarnel::converter::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(RecastTest, WindowAsksForOneFileAfterAnother) {
  Show show;
  show.channels = {{"A", 1, 1, 1, 1, 0}};
  show.events = {At(1, 1, 0, 33, 10, 10)};
  SaveShow(show, dir_ / "Show.dls");
  SaveShow(show, dir_ / "Other.dls");

  const platform::testing::StandardInputText typed(
      " '" + platform::Utf8FromPath(dir_ / "Show.dls") + "' \nnotes.txt\n" +
      platform::Utf8FromPath(dir_ / "Other.dls") + "\n\nnever read.dls\n");

  platform::EventLoop loop;
  std::ostringstream out, err;
  int exit_code = -1;
  {
    FrmMain form(loop, *library_, dir_, out, err, {false, 80});
    ASSERT_TRUE(form.Load());
    form.AskForSources({}, Options());
    loop.RunFor(std::chrono::seconds(60));
    EXPECT_TRUE(form.Form().Unloaded());
    exit_code = form.ExitCode();
  }

  EXPECT_EQ(exit_code, 1);  // one name was refused
  EXPECT_NE(err.str().find("notes.txt is not a sequence file"), std::string::npos) << err.str();
  for (const char* written : {"Show_DMX.dls", "Show_DMX.txt", "Other_DMX.dls", "Other_DMX.txt"}) {
    EXPECT_TRUE(fs::exists(dir_ / written)) << written;
  }
  EXPECT_FALSE(fs::exists(dir_ / "never read_DMX.dls"));
  EXPECT_NE(out.str().find("Channels Report"), std::string::npos);
}

}  // namespace
}  // namespace quarnel::converter::testing
