#include "platform/fs/FileErrors.h"
#include "platform/fs/WholeFile.h"
#include "platform/process/ModuleFolder.h"
#include "platform/tests/TestSystem.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

fs::path Folder() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::path(::testing::TempDir()) / ("wholefile-" + std::string(info->name()) + "-" +
                                                   std::to_string(testing::CurrentProcessId()));
  fs::create_directories(dir);
  return dir;
}

TEST(WholeFileTest, BytesGoOutAndComeBackExactly) {
  const fs::path path = Folder() / "cache.tmp";
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  WriteWholeFile(path, bytes, "Test");
  EXPECT_EQ(ReadWholeFile(path, "Test"), bytes);
  WriteWholeFile(path, "ab", "Test");  // a shorter write leaves nothing of the longer
  EXPECT_EQ(ReadWholeFile(path, "Test"), "ab");
  WriteWholeFile(path, "", "Test");
  EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(WholeFileTest, FailuresNameThePath) {
  const fs::path dir = Folder();
  for (const fs::path& path : {dir / "absent.tmp", dir}) {
    try {
      ReadWholeFile(path, "File.Load");
      FAIL() << path;
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), kPathFileAccessError);
      EXPECT_NE(e.Description().find(path.string()), std::string::npos) << e.Description();
    }
  }
  EXPECT_THROW(WriteWholeFile(dir / "no" / "such.tmp", "x", "File.Load"), Error);
}

TEST(WholeFileTest, DeletingQuietlyMindsNothingAndSparesFolders) {
  const fs::path dir = Folder();
  DeleteFileQuietly(dir / "absent.tmp");
  fs::create_directory(dir / "sub");
  DeleteFileQuietly(dir / "sub");
  EXPECT_TRUE(fs::is_directory(dir / "sub"));
  WriteWholeFile(dir / "gone.tmp", "x", "Test");
  DeleteFileQuietly(dir / "gone.tmp");
  EXPECT_FALSE(fs::exists(dir / "gone.tmp"));
}

TEST(ModuleFolderTest, TheFolderOfTheRunningProgram) {
  const fs::path folder = ModuleFolder(reinterpret_cast<const void*>(&ModuleFolder));
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.is_absolute());
  EXPECT_EQ(folder, fs::canonical(testing::CurrentProgram()).parent_path());
  EXPECT_TRUE(ModuleFolder(nullptr).empty());
}

}  // namespace
}  // namespace quarnel::platform
