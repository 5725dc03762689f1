#include "platform/fs/FileErrors.h"
#include "platform/fs/FileLock.h"
#include "platform/tests/TestSystem.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

fs::path LockPath() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::path(::testing::TempDir()) / ("filelock-" + std::string(info->name()) + "-" +
                                                   std::to_string(testing::CurrentProcessId()));
  fs::create_directories(dir);
  return dir / "workspace.lock";
}

using testing::FreeForAnotherProcess;

TEST(FileLockTest, HeldAgainstOtherProcessesUntilTheOutermostHolderEnds) {
  const fs::path path = LockPath();
  EXPECT_TRUE(FreeForAnotherProcess(path));
  {
    ExclusiveFileLock outer(path, "Test");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(FreeForAnotherProcess(path));
    {
      ExclusiveFileLock inner(path, "Test");  // the same thread takes it again at once
      EXPECT_FALSE(FreeForAnotherProcess(path));
    }
    EXPECT_FALSE(FreeForAnotherProcess(path));
  }
  EXPECT_TRUE(FreeForAnotherProcess(path));
  EXPECT_TRUE(fs::exists(path));  // the lock file stays
}

TEST(FileLockTest, AnotherThreadWaitsForTheHolder) {
  const fs::path path = LockPath();
  std::atomic<bool> taken{false};
  std::thread other;
  {
    ExclusiveFileLock held(path, "Test");
    other = std::thread([&] {
      ExclusiveFileLock mine(path, "Test");
      taken = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(taken);
  }
  other.join();
  EXPECT_TRUE(taken);
}

TEST(FileLockTest, ALockFileThatCannotBeMadeIsAClearError) {
  const fs::path path = LockPath().parent_path() / "missing-folder" / "workspace.lock";
  try {
    ExclusiveFileLock lock(path, "File.Load");
    FAIL() << "locked a file in a missing folder";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), kPathFileAccessError);
    EXPECT_EQ(e.Source(), "File.Load");
    EXPECT_NE(e.Description().find("missing-folder"), std::string::npos) << e.Description();
  }
  // A failed attempt leaves nothing behind: the lock can be taken afterwards.
  fs::create_directories(path.parent_path());
  ExclusiveFileLock lock(path, "Test");
}

}  // namespace
}  // namespace quarnel::platform
