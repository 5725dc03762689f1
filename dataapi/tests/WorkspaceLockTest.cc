// The workspace lock: two processes never work on one workspace at the same time.
#include "dataapi/tests/DocumentFixture.h"
#include "dataapi/tests/SequenceFiles.h"
#include "platform/base/Environment.h"
#include "platform/base/Error.h"
#include "platform/base/PathText.h"
#include "platform/tests/TestSystem.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

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

constexpr int kRounds = 25;

TEST_F(WorkspaceLockTest, TwoProcessesLoadingInOneWorkspaceEachGetTheirOwnShow) {
  const std::u16string mine = WriteShow("mine.dls", "mine");
  WriteShow("theirs.dls", "theirs");
  // The other process is this test program again, running only the test below.
  std::atomic<bool> other_done{false};
  platform::testing::ToolRun other{};
  std::thread runner([&] {
    other = platform::testing::RunTool(
        platform::testing::CurrentProgram(),
        {"--gtest_also_run_disabled_tests", "--gtest_filter=WorkspaceLockOtherProcess.*"},
        {{"QUARNEL_WORKSPACE", platform::Utf8FromPath(workspace_)},
         {"QUARNEL_LOCK_TEST_SHOW", platform::Utf8FromPath(PathOf("theirs.dls"))}});
    other_done = true;
  });
  // Loading on until the other process is through (it may take a while to start).
  constexpr int kMostRounds = 5000;
  int wrong = 0;
  for (int i = 0; i < kMostRounds && (i < kRounds || !other_done); ++i) {
    Ref<File> doc = File::Create();
    doc->Load(mine, FileTypeDLS);
    if (doc->Channels()->Name(1) != u"mine" || doc->Title() != u"mine") ++wrong;
  }
  runner.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(other.status, 0) << other.out << other.err;
  EXPECT_NE(other.out.find("[  PASSED  ] 1 test."), std::string::npos) << other.out;
}

// The other process of the test above: loads the show it is given over and over in the
// workspace it is given, and fails when it ever gets another.
TEST(WorkspaceLockOtherProcess, DISABLED_LoadsItsOwnShowOverAndOver) {
  const auto show = platform::EnvironmentValue("QUARNEL_LOCK_TEST_SHOW");
  ASSERT_TRUE(show) << "run by WorkspaceLockTest only";
  const std::u16string path = platform::PathFromUtf8(*show).u16string();
  int wrong = 0;
  for (int i = 0; i < kRounds; ++i) {
    Ref<File> doc = File::Create();
    try {
      doc->Load(path, FileTypeDLS);
      if (doc->Channels()->Name(1) != u"theirs") ++wrong;
    } catch (...) {
      ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace quarnel::dataapi::testing
