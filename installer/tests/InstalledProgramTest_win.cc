// PatchInstaller.exe as people run it on Windows: the folder `cmake --install` gave,
// copied to a folder whose name has a space and a character beyond ASCII, and started
// there on the special folders of this user, which hold the product's own shortcuts.
// Checks the log, the shell links it made and the library it registered.
#include "platform/base/PathText.h"
#include "platform/component/Registration.h"
#include "platform/shell/StandardFolders.h"
#include "platform/tests/ShellLinks_win.h"
#include "platform/tests/TestSystem.h"

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

namespace quarnel::installer {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The default value of the class registry's key `key`; nullopt when the key is not there.
std::optional<std::wstring> ClassesValue(const std::wstring& key) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr,
                   RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

// The library file that the class registry starts for the class named `prog_id`.
std::optional<std::wstring> ServerOf(const std::wstring& prog_id) {
  const std::optional<std::wstring> clsid = ClassesValue(prog_id + L"\\CLSID");
  if (!clsid) return std::nullopt;
  return ClassesValue(L"CLSID\\" + *clsid + L"\\InprocServer32");
}

// The product's shortcuts in the user's start menu and on the desktop, as the product's
// own installation left them; everything made there goes again at the end.
class ProductShortcuts {
 public:
  ProductShortcuts()
      : menu_(platform::SpecialFolderPaths(platform::kFolderStartMenu).at(0) / "Quarnel 2011"),
        desktop_(platform::SpecialFolderPaths(platform::kFolderDesktop).at(0)) {
    fs::create_directories(menu_);
    fs::create_directories(desktop_);
    std::ofstream(menu_ / "Quarnel Sequencer.lnk") << "the product's shortcut";
    std::ofstream(desktop_ / "Quarnel Scheduler.lnk") << "the product's shortcut";
  }
  ~ProductShortcuts() {
    std::error_code ec;
    fs::remove_all(menu_, ec);
    for (const auto& entry : fs::directory_iterator(desktop_, ec)) {
      if (entry.path().filename().wstring().find(L"Quarnel") != std::wstring::npos) {
        fs::remove(entry.path(), ec);
      }
    }
  }
  ProductShortcuts(const ProductShortcuts&) = delete;
  ProductShortcuts& operator=(const ProductShortcuts&) = delete;

  const fs::path& Menu() const { return menu_; }
  const fs::path& Desktop() const { return desktop_; }

 private:
  fs::path menu_;
  fs::path desktop_;
};

// The three shell links in `folder` start the programs of `install` there, with their
// own icons.
void ExpectShortcutsIn(const fs::path& folder, const fs::path& install) {
  SCOPED_TRACE(platform::Utf8FromPath(folder));
  struct Expected {
    const char* file;
    const char* program;
    bool ours;  // our program, whose icon the link shows
  };
  const Expected expected[] = {
      {"DMX Quarnel Scheduler (2011 patched).lnk", "quarnel_scheduler_90_patched.exe", false},
      {"DMX Quarnel Web Diagnostics Server.lnk", "QuarnelWebDiagnostics.exe", true},
      {"Quarnel DMX Recaster (Converter).lnk", "DMXRecaster.exe", true},
  };
  for (const Expected& e : expected) {
    const platform::testing::LinkRead link = platform::testing::ReadLink(folder / e.file);
    EXPECT_EQ(link.path, (install / e.program).wstring()) << e.file;
    EXPECT_EQ(link.folder, install.wstring()) << e.file;
    if (e.ours) {
      EXPECT_EQ(link.icon, (install / e.program).wstring()) << e.file;
      EXPECT_EQ(link.icon_index, 0) << e.file;
    }
  }
}

TEST(InstalledProgramTest, FinishesTheInstallationOnTheUsersSpecialFolders) {
  // The timer component is the product's: its registration is asked for by file name,
  // and whatever lies there (or nothing) decides the line.
  struct Case {
    const char* name;
    const char* timer_file;  // copied in as vbalHTmr6.dll; none when null
    std::vector<std::string> timer_lines;
  };
  const Case cases[] = {
      {"no timer component",
       nullptr,
       {"Registering High Resolution Timer.......Fail (-2147024770)",
        "({install}\\vbalHTmr6.dll is not there)"}},
      {"the timer component",
       QUARNEL_STUB_LIBRARY,
       {"Registering High Resolution Timer.......Success"}},
      {"a file that is no component library",
       QUARNEL_BARE_LIBRARY,
       {"Registering High Resolution Timer.......Fail (-2147024769)",
        "(vbalHTmr6.dll has no DllRegisterServer entry point)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path root = fs::path(::testing::TempDir()) /
                          ("installer-" + std::to_string(platform::testing::CurrentProcessId()) +
                           "-" + std::to_string(&c - cases));
    const fs::path install = root / L"Quarnel 2011 Caf\u00e9";
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(QUARNEL_INSTALL_FOLDER, install, fs::copy_options::recursive);
    for (const char* file :
         {"PatchInstaller.exe", "QuarnelDataAPI3.dll", "DMXRecaster.exe", "QuarnelOpenDMX.exe",
          "QuarnelWebDiagnostics.exe", "template.htm", "dlstool.exe"}) {
      EXPECT_TRUE(fs::is_regular_file(install / file)) << file;
    }
    if (c.timer_file != nullptr) fs::copy_file(c.timer_file, install / "vbalHTmr6.dll");

    const ProductShortcuts product;
    const platform::testing::ToolRun run =
        platform::testing::RunTool(install / "PatchInstaller.exe", {});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");

    std::vector<std::string> expected = {
        "== Install Quarnel 2011 DMX Patch ==", "Installation Progress",
        "Registering Data API.......Success"};
    for (std::string line : c.timer_lines) {
      if (size_t at = line.find("{install}"); at != std::string::npos) {
        line.replace(at, 9, platform::Utf8FromPath(install));
      }
      expected.push_back(line);
    }
    // No device rule on Windows: the interface's own driver grants access.
    expected.push_back("Updating Start Menu Shortcuts.......Success");
    expected.push_back("Updating Desktop Icons.......Success");
    EXPECT_EQ(LinesOf(run.out), expected) << run.out;

    ExpectShortcutsIn(product.Menu(), install);
    ExpectShortcutsIn(product.Desktop(), install);
    // The data library's registration readied its workspace in its own folder and
    // registered its classes to this copy; they are taken back again.
    EXPECT_TRUE(fs::exists(install / "workspace.lock"));
    EXPECT_EQ(ServerOf(L"QuarnelDataAPI3.File"), (install / "QuarnelDataAPI3.dll").wstring());
    EXPECT_EQ(platform::UnregisterServer(install / "QuarnelDataAPI3.dll").code, 0);
    EXPECT_EQ(ServerOf(L"QuarnelDataAPI3.File"), std::nullopt);
    std::error_code ec;
    fs::remove_all(root, ec);
  }
}

}  // namespace
}  // namespace quarnel::installer
