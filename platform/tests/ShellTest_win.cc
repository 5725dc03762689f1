// The shell on Windows: the special folders, and shortcuts read back through the shell's
// own link object.
#include "platform/shell/Shortcut.h"
#include "platform/shell/StandardFolders.h"
#include "platform/tests/ShellLinks_win.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

TEST(ShellTest, SpecialFoldersAreTheShellsOwn) {
  for (int32_t id : {kFolderDesktop, kFolderStartMenu, kFolderCommonStartMenu, kFolderCommonDesktop,
                     kFolderLocalAppData}) {
    const std::vector<fs::path> paths = SpecialFolderPaths(id);
    ASSERT_EQ(paths.size(), 1u) << id;
    EXPECT_TRUE(paths[0].is_absolute()) << id;
  }
  EXPECT_TRUE(SpecialFolderPaths(12345).empty());
}

using testing::LinkRead;
using testing::ReadLink;

TEST(ShellTest, ShortcutsStartTheProgramWithItsIconAndReplaceOlderOnes) {
  const fs::path root =
      fs::path(::testing::TempDir()) / ("shell-" + std::to_string(testing::CurrentProcessId()));
  const fs::path menu = root / L"Start Menu Caf\u00e9";
  const fs::path programs = root / "Program Files" / "Quarnel DMX";
  fs::create_directories(menu);
  fs::create_directories(programs);
  EXPECT_EQ(ShortcutExtension(), ".lnk");

  const fs::path file = menu / "Quarnel DMX Recaster (Converter).lnk";
  for (const char* name : {"DMXRecaster.exe", "QuarnelWebDiagnostics.exe"}) {
    SCOPED_TRACE(name);
    const fs::path program = programs / name;
    std::ofstream(program) << "a program";
    ASSERT_EQ(MakeShortcut(file, {program, false}), std::nullopt);
    const LinkRead read = ReadLink(file);
    EXPECT_EQ(read.path, program.wstring());
    EXPECT_EQ(read.icon, program.wstring());
    EXPECT_EQ(read.icon_index, 0);
    EXPECT_EQ(read.folder, programs.wstring());
  }
  // The second replaced the first, and nothing was left beside it.
  size_t files = 0;
  for ([[maybe_unused]] const fs::directory_entry& entry : fs::directory_iterator(menu)) ++files;
  EXPECT_EQ(files, 1u);

  const fs::path nowhere = root / "No Such Folder" / "Shortcut.lnk";
  const std::optional<std::string> error = MakeShortcut(nowhere, {programs / "DMXRecaster.exe"});
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("Shortcut.lnk"), std::string::npos) << *error;
  std::error_code ec;
  fs::remove_all(root, ec);
}

}  // namespace
}  // namespace quarnel::platform
