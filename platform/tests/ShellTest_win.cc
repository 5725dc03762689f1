// The shell on Windows: the special folders, and shortcuts read back through the shell's
// own link object.
#include "platform/base/ComForThisThread_win.h"
#include "platform/shell/Shortcut.h"
#include "platform/shell/StandardFolders.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <string>

#include <gtest/gtest.h>
// clang-format off
#include <windows.h>  // before the shell's headers
#include <objbase.h>
#include <shlobj.h>
// clang-format on

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

struct LinkRead {
  std::wstring path;
  std::wstring icon;
  int icon_index = -1;
  std::wstring folder;
};

// What the shell reads from the shortcut `file`.
LinkRead ReadLink(const fs::path& file) {
  LinkRead read;
  ComForThisThread com;
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) read.path = text;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &read.icon_index))) read.icon = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) read.folder = text;
  }
  if (persist != nullptr) persist->Release();
  if (link != nullptr) link->Release();
  return read;
}

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
