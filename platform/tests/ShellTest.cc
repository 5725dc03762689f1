// The shell layer: where the special folders are by the XDG conventions, desktop entries
// that any path survives, and shortcuts as files.
#include "platform/shell/DesktopEntry.h"
#include "platform/shell/Shortcut.h"
#include "platform/shell/StandardFolders.h"
#include "platform/tests/DesktopFiles.h"
#include "platform/tests/ScopedEnvironment.h"

#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironment;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) /
            ("shell-test-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // `text` with every "{T}" replaced by the test's folder.
  std::string InRoot(std::string text) const {
    for (size_t at; (at = text.find("{T}")) != std::string::npos;) {
      text.replace(at, 3, root_.string());
    }
    return text;
  }

  static void WriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }

  fs::path root_;
};

std::vector<std::string> Strings(const std::vector<fs::path>& paths) {
  std::vector<std::string> out;
  for (const fs::path& p : paths) out.push_back(p.string());
  return out;
}

TEST_F(ShellTest, SpecialFoldersFollowTheXdgConventions) {
  struct Case {
    const char* name;
    std::map<std::string, std::optional<std::string>> env;
    std::optional<std::string> user_dirs;  // {T}/home/.config/user-dirs.dirs
    std::vector<std::string> start_menu;
    std::vector<std::string> common_start_menu;
    std::string desktop;
    std::string local_app_data = "{T}/home/.local/state";
  };
  const std::vector<std::string> kUsual = {"{T}/home/.local/share/applications"};
  const std::vector<std::string> kSystem = {"/usr/local/share/applications",
                                            "/usr/share/applications"};
  const Case cases[] = {
      {"nothing set", {}, std::nullopt, kUsual, kSystem, "{T}/home/Desktop"},
      {"folders set",
       {{"XDG_DATA_HOME", "{T}/data"},
        {"XDG_DATA_DIRS", "{T}/a:{T}/b/:relative::{T}/a"},
        {"XDG_STATE_HOME", "{T}/state"}},
       std::nullopt,
       {"{T}/data/applications"},
       {"{T}/a/applications", "{T}/b/applications"},
       "{T}/home/Desktop",
       "{T}/state"},
      {"relative folders are ignored",
       {{"XDG_DATA_HOME", "data"},
        {"XDG_CONFIG_HOME", "cfg"},
        {"XDG_DATA_DIRS", "x:y"},
        {"XDG_STATE_HOME", "state"}},
       "XDG_DESKTOP_DIR=\"/never\"\n",
       kUsual,
       kSystem,
       "/never"},
      {"desktop under home",
       {},
       "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n",
       kUsual,
       kSystem,
       "{T}/home/Schreibtisch"},
      {"desktop elsewhere",
       {},
       "XDG_DESKTOP_DIR=\"/srv/desk top\"\n",
       kUsual,
       kSystem,
       "/srv/desk top"},
      {"desktop is home", {}, "XDG_DESKTOP_DIR=\"$HOME/\"\n", kUsual, kSystem, "{T}/home"},
      {"the last line counts, escapes undone",
       {},
       "XDG_DESKTOP_DIR=\"$HOME/one\"\n  XDG_DESKTOP_DIR = \"$HOME/two \\\"x\\\"\"\n",
       kUsual,
       kSystem,
       "{T}/home/two \"x\""},
      {"lines of other forms are skipped",
       {},
       "XDG_DESKTOP_DIR=$HOME/a\nXDG_DESKTOP_DIR=\"relative\"\nXDG_DESKTOP_DIRS=\"/b\"\n"
       "XDG_DESKTOP_DIR=\"$HOMEsick\"\nXDG_DESKTOP_DIR=\"/unclosed\n",
       kUsual,
       kSystem,
       "{T}/home/Desktop"},
      {"settings from XDG_CONFIG_HOME",
       {{"XDG_CONFIG_HOME", "{T}/config"}},
       std::nullopt,
       kUsual,
       kSystem,
       "{T}/config-desk"},
  };
  WriteFile(root_ / "config" / "user-dirs.dirs", InRoot("XDG_DESKTOP_DIR=\"{T}/config-desk\"\n"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedEnvironment env;
    env.Set("HOME", InRoot("{T}/home"));
    for (const char* name :
         {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
      env.Set(name, std::nullopt);
    }
    for (const auto& [name, value] : c.env) env.Set(name, value ? InRoot(*value) : value);
    fs::remove(root_ / "home" / ".config" / "user-dirs.dirs");
    if (c.user_dirs) WriteFile(root_ / "home" / ".config" / "user-dirs.dirs", *c.user_dirs);

    std::vector<std::string> start_menu, common_start_menu;
    for (const std::string& s : c.start_menu) start_menu.push_back(InRoot(s));
    for (const std::string& s : c.common_start_menu) common_start_menu.push_back(InRoot(s));
    EXPECT_EQ(Strings(SpecialFolderPaths(kFolderStartMenu)), start_menu);
    EXPECT_EQ(Strings(SpecialFolderPaths(kFolderCommonStartMenu)), common_start_menu);
    EXPECT_EQ(Strings(SpecialFolderPaths(kFolderDesktop)), std::vector{InRoot(c.desktop)});
    EXPECT_EQ(Strings(SpecialFolderPaths(kFolderLocalAppData)),
              std::vector{InRoot(c.local_app_data)});
    EXPECT_TRUE(SpecialFolderPaths(kFolderCommonDesktop).empty());
    EXPECT_TRUE(SpecialFolderPaths(7).empty());
  }
}

// Every program path comes back from the written entry as it went in, and the entry is
// valid for desktop-file-validate.
TEST_F(ShellTest, DesktopEntriesCarryAnyPathUnchanged) {
  const std::string paths[] = {
      "/opt/quarnel/QuarnelWebDiagnostics",
      "/home/a b/Quarnel 2011/DMXRecaster",
      "/x/\"quoted\"/it's",
      "/x/$HOME/`cmd`/p",
      "/x/back\\slash\\\\/p",
      "/x/100%/%f/p",
      "/x/tab\there/p",
      "/x/Bühne ♫/p",
  };
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    for (bool terminal : {false, true}) {
      const auto text = FormatDesktopEntry({"Show \\ Time", {path}, path + ".svg", terminal});
      ASSERT_TRUE(text.has_value());
      const fs::path file = root_ / "entry.desktop";
      WriteFile(file, *text);
      EXPECT_EQ(testing::DesktopFileComplaints(file), "") << *text;
      auto keys = testing::ReadDesktopKeys(file);
      EXPECT_EQ(keys["Type"], "Application");
      EXPECT_EQ(keys["Name"], "Show \\ Time");
      EXPECT_EQ(keys["Icon"], path + ".svg");
      EXPECT_EQ(keys["Terminal"], terminal ? "true" : "false");
      EXPECT_EQ(testing::ExecArguments(keys["Exec"]), std::vector{path}) << keys["Exec"];
    }
  }
  // Text that is not UTF-8 has no place in an entry.
  EXPECT_FALSE(FormatDesktopEntry({"x", {"/x/\xC3(/p"}, "", false}).has_value());
  EXPECT_FALSE(FormatDesktopEntry({"\xED\xA0\x80", {"/p"}, "", false}).has_value());
  EXPECT_FALSE(FormatDesktopEntry({"x", {"/p"}, "/\xC0\xAF", false}).has_value());
  // A leading space and line breaks in a value are escaped.
  EXPECT_EQ(EscapeDesktopValue(" a\\b\nc\td\r"), "\\sa\\\\b\\nc\\td\\r");
}

TEST_F(ShellTest, ShortcutsAreExecutableEntriesWithTheProgramsIcon) {
  struct Case {
    const char* name;
    const char* program;
    const char* icon_beside;  // made beside the program, if any
    bool console;
    std::string icon;  // expected; {T} for the folder
  };
  const Case cases[] = {
      {"svg icon", "QuarnelWebDiagnostics", "QuarnelWebDiagnostics.svg", true,
       "{T}/prog/QuarnelWebDiagnostics.svg"},
      {"png icon", "DMXRecaster", "DMXRecaster.png", true, "{T}/prog/DMXRecaster.png"},
      {"icon of a program with an ending", "scheduler.exe", "scheduler.svg", false,
       "{T}/prog/scheduler.svg"},
      {"no icon", "Other", nullptr, false, "application-x-executable"},
  };
  ASSERT_EQ(ShortcutExtension(), ".desktop");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.icon_beside) WriteFile(root_ / "prog" / c.icon_beside, "<svg/>");
    const fs::path file = root_ / "menu" / "My Shortcut.desktop";
    fs::create_directories(file.parent_path());
    WriteFile(file, "an older shortcut");
    const fs::path program = root_ / "prog" / c.program;
    EXPECT_EQ(MakeShortcut(file, {program, c.console}), std::nullopt);
    EXPECT_EQ(testing::DesktopFileComplaints(file), "");
    auto keys = testing::ReadDesktopKeys(file);
    EXPECT_EQ(keys["Name"], "My Shortcut");
    EXPECT_EQ(testing::ExecArguments(keys["Exec"]), std::vector{program.string()});
    EXPECT_EQ(keys["Icon"], InRoot(c.icon));
    EXPECT_EQ(keys["Terminal"], c.console ? "true" : "false");
    const fs::perms perms = fs::status(file).permissions();
    EXPECT_NE(perms & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(perms & fs::perms::others_write, fs::perms::none);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()),
              1);
  }
}

}  // namespace
}  // namespace quarnel::platform
