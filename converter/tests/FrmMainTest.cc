// The window as the installed shortcut opens it: no files on the command line, so it asks
// for one after another on its standard input (here a pipe) and converts each as it comes.
#include "converter/FrmMain.h"
#include "converter/tests/RecastFixture.h"

#include <sstream>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::converter::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(RecastTest, WindowAsksForOneFileAfterAnother) {
  Show show;
  show.channels = {{"A", 1, 1, 1, 1, 0}};
  show.events = {At(1, 1, 0, 33, 10, 10)};
  SaveShow(show, dir_ / "Show.dls");
  SaveShow(show, dir_ / "Other.dls");

  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  const int saved_stdin = ::dup(STDIN_FILENO);
  ::dup2(pipe_fds[0], STDIN_FILENO);
  const std::string typed = " '" + (dir_ / "Show.dls").string() + "' \nnotes.txt\n" +
                            (dir_ / "Other.dls").string() + "\n\nnever read.dls\n";
  ASSERT_EQ(::write(pipe_fds[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));

  platform::EventLoop loop;
  std::ostringstream out, err;
  int exit_code = -1;
  {
    FrmMain form(loop, dir_, out, err, {false, 80});
    ASSERT_TRUE(form.Load());
    form.AskForSources({}, Options());
    loop.RunFor(std::chrono::seconds(60));
    EXPECT_TRUE(form.Form().Unloaded());
    exit_code = form.ExitCode();
  }
  ::dup2(saved_stdin, STDIN_FILENO);
  for (int fd : {saved_stdin, pipe_fds[0], pipe_fds[1]}) ::close(fd);

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
