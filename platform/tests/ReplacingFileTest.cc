// A replacing file puts its bytes in the target's place only on Commit; anything short
// of that leaves the target as it was and no file of its own behind.
#include "platform/fs/ReplacingFile.h"
#include "platform/fs/WholeFile.h"
#include "platform/tests/TestSystem.h"

#include <filesystem>
#include <system_error>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

class ReplacingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) / ("replacing-" + std::string(info->name()) + "-" +
                                             std::to_string(testing::CurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
};

TEST_F(ReplacingFileTest, CommitPutsTheWholeFileInPlaceOfTheOld) {
  const fs::path target = dir_ / "show.dls";
  WriteWholeFile(target, "old and longer", "Test");
  {
    ReplacingFile out(target);
    out.Write("ne");
    out.Write(std::string("w\0!", 3));
    EXPECT_EQ(ReadWholeFile(target, "Test"), "old and longer");  // nothing seen before Commit
    out.Commit();
  }
  EXPECT_EQ(ReadWholeFile(target, "Test"), std::string("new\0!", 5));
  EXPECT_EQ(FilesInFolder(), 1u);

  ReplacingFile empty(dir_ / "new.dls");  // a target that did not exist
  empty.Commit();
  EXPECT_EQ(fs::file_size(dir_ / "new.dls"), 0u);
  EXPECT_THROW(empty.Write("late"), std::system_error);
}

TEST_F(ReplacingFileTest, WithoutCommitTheTargetStaysAndNothingIsLeftBehind) {
  const fs::path target = dir_ / "show.dls";
  WriteWholeFile(target, "old", "Test");
  {
    ReplacingFile out(target);
    out.Write("half a file");
  }
  EXPECT_EQ(ReadWholeFile(target, "Test"), "old");
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ReplacingFileTest, AFolderThatIsMissingOrATargetThatIsAFolderFails) {
  EXPECT_THROW(ReplacingFile(dir_ / "absent" / "show.dls"), std::system_error);
  fs::create_directories(dir_ / "folder");
  ReplacingFile out(dir_ / "folder");
  out.Write("x");
  try {
    out.Commit();
    FAIL() << "a file renamed over a folder";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code(), std::errc::is_a_directory);
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
  EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
}  // namespace quarnel::platform
