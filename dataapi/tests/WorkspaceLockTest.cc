// The workspace lock: two processes never work on one workspace at the same time.
#include "dataapi/tests/DocumentFixture.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/base/Error.h"
#include "platform/tests/LockProbe.h"

#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quarnel::dataapi::testing {
namespace {

class WorkspaceLockTest : public DocumentTest {
 protected:
  // Whether another process could take the workspace lock right now.
  bool FreeForAnotherProcess() {
    return platform::testing::FreeForAnotherProcess(CachePath("workspace.lock"));
  }

  // A sequence whose only channel is called `name`.
  std::u16string WriteShow(const std::string& file, const std::string& name) {
    SequenceFile f;
    f.SetText("channels", ChannelTableImage({{"[Reserved Channel]"}, {name, 0, 1, 1}}));
    f.SetText("title", name);
    f.Write(PathOf(file));
    return U16(PathOf(file).string());
  }
};

TEST_F(WorkspaceLockTest, HeldForTheWholeLoad) {
  const std::u16string path = WriteShow("show.dls", "lamp");
  Ref<File> doc = File::Create();
  std::vector<bool> free_during;
  auto sink = MakeRef<FileEventHandlers>();
  sink->on_status_change = [&](std::u16string&) { free_during.push_back(FreeForAnotherProcess()); };
  doc->Advise(sink);
  doc->Load(path, FileTypeDLS);
  ASSERT_FALSE(free_during.empty());
  EXPECT_EQ(free_during, std::vector<bool>(free_during.size(), false));
  EXPECT_TRUE(FreeForAnotherProcess());
  // A failing load lets go of the lock too.
  EXPECT_THROW(doc->Load(U16(PathOf("missing.dls").string()), FileTypeDLS), Error);
  EXPECT_TRUE(FreeForAnotherProcess());
}

TEST_F(WorkspaceLockTest, TwoProcessesLoadingInOneWorkspaceEachGetTheirOwnShow) {
  const std::u16string mine = WriteShow("mine.dls", "mine");
  const std::u16string theirs = WriteShow("theirs.dls", "theirs");
  constexpr int kRounds = 25;
  const pid_t child = ::fork();
  if (child == 0) {
    int wrong = 0;
    for (int i = 0; i < kRounds; ++i) {
      Ref<File> doc = File::Create();
      try {
        doc->Load(theirs, FileTypeDLS);
        if (doc->Channels()->Name(1) != u"theirs") ++wrong;
      } catch (...) {
        ++wrong;
      }
    }
    ::_exit(wrong == 0 ? 0 : 1);
  }
  int wrong = 0;
  for (int i = 0; i < kRounds; ++i) {
    Ref<File> doc = File::Create();
    doc->Load(mine, FileTypeDLS);
    if (doc->Channels()->Name(1) != u"mine" || doc->Title() != u"mine") ++wrong;
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process went wrong";
}

}  // namespace
}  // namespace quarnel::dataapi::testing
