// The installer's window run in this process on a test home: the log, line by line, the
// shortcuts beside the product's own, and failures that are logged while the rest goes on.
#include "installer/FrmMain.h"
#include "installer/tests/TestHome.h"
#include "platform/tests/ScopedEnvironment.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel::installer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::LinesOf;

const std::string kStartMenuMissing =
    "(could not find the start menu icons for Quarnel 90... you will need to manually create "
    "these)";
const std::string kDesktopMissing =
    "(could not find any desktop icons for Quarnel 90... you will need to manually create these)";
const std::string kTimerLine =
    "Registering High Resolution Timer.......Not needed (QuarnelOpenDMX keeps its own frame "
    "clock)";

// A test home, and an installation folder (its name tries the shortcuts' quoting) holding
// the data library, the device rule and the icons, as installed.
class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = home_.Root() / "Quarnel 2011 $patch's";
    fs::create_directories(program_);
    fs::copy_file(QUARNEL_DATA_LIBRARY, program_ / "libQuarnelDataAPI3.so");
    fs::copy_file(QUARNEL_DEVICE_RULE, program_ / "99-quarnel-opendmx.rules");
    for (const char* icon : {"QuarnelWebDiagnostics.svg", "DMXRecaster.svg"}) {
      fs::copy_file(fs::path(QUARNEL_ICONS) / icon, program_ / icon);
    }
    for (const auto& [name, value] : home_.Environment()) env_.Set(name, value);
    env_.Set("SUDO_USER", "alice");
    rules_ = home_.Root() / "rules";
    fs::create_directories(rules_);
    home_.Touch("udevadm", "#!/bin/sh\nexit 0\n");
    fs::permissions(home_.Root() / "udevadm", fs::perms::owner_all);
  }

  // Runs the installer to its end; its log.
  std::string Install() {
    platform::EventLoop loop;
    console_.str("");
    platform::DeviceAccessSystem device;
    device.rules_folder = rules_;
    device.udevadm = (home_.Root() / "udevadm").string();
    device.administrator = true;
    FrmMain form(loop, program_, console_, device);
    form.Load();
    // Nothing happens in the first 300 ms.
    loop.RunFor(200ms);
    EXPECT_EQ(form.InstallProgress(), "");
    EXPECT_TRUE(loop.RunUntil([&] { return form.Form().Unloaded(); }, 20s));
    EXPECT_TRUE(form.Finished());
    return form.InstallProgress();
  }

  testing::TestHome home_;
  platform::testing::ScopedEnvironment env_;
  fs::path program_;
  fs::path rules_;
  std::ostringstream console_;
};

TEST_F(InstallerTest, WithoutProductShortcutsTheLogSaysWhatToDoByHand) {
  const std::string log = Install();
  const std::vector<std::string> expected = {
      "Registering Data API.......Success",
      kTimerLine,
      "Updating Start Menu Shortcuts.......Fail (1)",
      kStartMenuMissing,
      "Updating Desktop Icons.......Fail (1)",
      kDesktopMissing,
      "Installing the Open DMX USB device rule.......Success",
      "(members of the plugdev group may now use the interfaces; add a user with: usermod -aG "
      "plugdev alice)",
  };
  EXPECT_EQ(LinesOf(log), expected) << log;
  EXPECT_TRUE(log.ends_with("\r\n"));
  // The window on the console: caption, frame, then the log as it grew.
  std::string shown = log;
  for (size_t at; (at = shown.find("\r\n")) != std::string::npos;) shown.replace(at, 2, "\n");
  EXPECT_EQ(console_.str(),
            "== Install Quarnel 2011 DMX Patch ==\nInstallation Progress\n" + shown);
  // The library readied its folder; missing special folders were skipped, not made.
  EXPECT_TRUE(fs::exists(program_ / "workspace.lock"));
  EXPECT_FALSE(fs::exists(home_.Desktop()));
  EXPECT_FALSE(fs::exists(home_.UserMenu()));
  EXPECT_TRUE(fs::exists(rules_ / "99-quarnel-opendmx.rules"));
}

TEST_F(InstallerTest, ShortcutsGoBesideTheProductsOwn) {
  struct Case {
    const char* name;
    std::vector<fs::path> product_files;  // relative to the home's root
    std::vector<fs::path> shortcut_folders;
    bool start_menu_found;
    bool desktop_found;
  };
  const fs::path menu = ".local/share/applications";
  const fs::path home = "home";
  const Case cases[] = {
      {"two desktop files",
       {home / "Desktop/Quarnel Scheduler.desktop", home / "Desktop/Old Quarnel Scheduler.desktop",
        home / "Desktop/notes.txt"},
       {home / "Desktop"},
       false,
       true},
      {"two product folders in the user's menu",
       {home / menu / "Quarnel 2011/Quarnel Sequencer.desktop",
        home / menu / "My Quarnel Tools/Old Quarnel Sequencer.desktop",
        home / menu / "Quarnel Docs/readme.txt",
        home / menu / "quarnel small/Quarnel Sequencer.desktop",
        home / menu / "Quarnel Sequencer.desktop", home / menu / "Quarnel File"},
       {home / menu / "My Quarnel Tools", home / menu / "Quarnel 2011"},
       true,
       false},
      {"the menu of all users",
       {"sys2/applications/Quarnel/Quarnel Sequencer.desktop"},
       {"sys2/applications/Quarnel"},
       true,
       false},
      {"menus and desktop",
       {"sys1/applications/Quarnel/Quarnel Sequencer.desktop",
        home / menu / "Quarnel 2011/Quarnel Sequencer.desktop", home / "Desktop/Quarnel Scheduler"},
       {"sys1/applications/Quarnel", home / menu / "Quarnel 2011", home / "Desktop"},
       true,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(home_.Home());
    fs::remove_all(home_.SystemMenu(1));
    fs::remove_all(home_.SystemMenu(2));
    for (const fs::path& file : c.product_files) home_.Touch(file);
    const std::vector<std::string> before = home_.Tree();

    const std::vector<std::string> lines = LinesOf(Install());
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[2], std::string("Updating Start Menu Shortcuts.......") +
                            (c.start_menu_found ? "Success" : "Fail (1)"));
    const size_t desktop_line = c.start_menu_found ? 3 : 4;
    EXPECT_EQ(lines[desktop_line], std::string("Updating Desktop Icons.......") +
                                       (c.desktop_found ? "Success" : "Fail (1)"));

    // The shortcuts are where they belong, and nothing else was added.
    std::vector<std::string> expected_tree = before;
    for (const fs::path& folder : c.shortcut_folders) {
      testing::ExpectShortcutsIn(home_.Root() / folder, program_);
      for (const std::string& name : testing::ShortcutFileNames()) {
        expected_tree.push_back((folder / name).string());
      }
    }
    std::sort(expected_tree.begin(), expected_tree.end());
    EXPECT_EQ(home_.Tree(), expected_tree);
  }
}

TEST_F(InstallerTest, FailuresAreLoggedWithTheirCodeAndTheRestGoesOn) {
  const fs::path library = program_ / "libQuarnelDataAPI3.so";
  struct Case {
    const char* name;
    std::function<void()> prepare;
    std::vector<std::string> lines;  // in the log, in this order
  };
  const Case cases[] = {
      {"no data library",
       [&] { fs::remove(library); },
       {"Registering Data API.......Fail (-2147024770)",
        "(" + library.string() + " is not there)"}},
      {"a data library without the entry point",
       [&] {
         fs::remove(library);
         fs::copy_file(QUARNEL_BARE_LIBRARY, library);
       },
       {"Registering Data API.......Fail (-2147024769)",
        "(libQuarnelDataAPI3.so has no DllRegisterServer entry point)"}},
      {"a workspace that cannot be used",
       [&] {
         home_.Touch("in the way");
         env_.Set("QUARNEL_WORKSPACE", (home_.Root() / "in the way").string());
       },
       {"Registering Data API.......Fail (-2147024629)",
        "(" + library.string() + ": DllRegisterServer failed: The directory name is invalid.)"}},
      {"a shortcut that cannot be made",
       [&] {
         home_.Touch("home/Desktop/Quarnel Scheduler.desktop");
         fs::create_directories(home_.Desktop() / "DMX Quarnel Web Diagnostics Server.desktop");
       },
       {"Updating Desktop Icons.......Success",
        "(could not make the shortcut " +
            (home_.Desktop() / "DMX Quarnel Web Diagnostics Server.desktop").string() +
            ": Is a directory)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    const std::string log = Install();
    // The lines follow one another, and every step ran.
    const std::vector<std::string> lines = LinesOf(log);
    auto at = std::search(lines.begin(), lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_NE(at, lines.end()) << log;
    for (const char* step :
         {"Registering Data API.......", "Registering High Resolution Timer.......",
          "Updating Start Menu Shortcuts.......", "Updating Desktop Icons.......",
          "Installing the Open DMX USB device rule......."}) {
      EXPECT_NE(log.find(step), std::string::npos) << step;
    }
    // Back to a working installation for the next case.
    env_.Set("QUARNEL_WORKSPACE", "");
    fs::remove_all(home_.Home());
    fs::create_directories(home_.Home());
    fs::remove(library);
    fs::copy_file(QUARNEL_DATA_LIBRARY, library);
  }
}

}  // namespace
}  // namespace quarnel::installer
