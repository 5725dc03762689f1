// PatchInstaller as people run it: installed with `cmake --install` beside the other
// programs, started from its install folder by an ordinary user (root's tests drop to
// nobody) on a home that holds the product's shortcuts. Checks what it installed, the log
// it wrote and the files it made.
#include "dmxserver/harness/ServerProcess.h"
#include "installer/tests/TestHome.h"
#include "platform/process/ProgramRun.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace quarnel::installer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::LinesOf;

// The user the installer runs as: nobody when the tests run as root, else the tester.
struct User {
  bool switched = false;
  uid_t uid = ::geteuid();
  gid_t gid = ::getegid();
};

User OrdinaryUser() {
  User user;
  if (::geteuid() != 0) return user;
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) return user;
  user.switched = true;
  user.uid = nobody->pw_uid;
  user.gid = nobody->pw_gid;
  return user;
}

void GiveTo(const fs::path& tree, const User& user) {
  if (!user.switched) return;
  ASSERT_EQ(::chown(tree.c_str(), user.uid, user.gid), 0) << tree;
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    ASSERT_EQ(::lchown(entry.path().c_str(), user.uid, user.gid), 0) << entry.path();
  }
}

TEST(InstalledProgramTest, InstallsBesideTheOtherProgramsAndFinishesTheInstallation) {
  // Where the library may not write in its own folder, its workspace goes to the user's
  // state folder; registering fails only when that cannot be made either.
  enum class Workspace { kInstallFolder, kUserState, kNowhere };
  struct Case {
    const char* name;
    bool folder_writable;
    Workspace workspace;
    std::vector<std::string> first_lines;  // of the log, after the caption and the frame
  };
  const std::string kTimerLine =
      "Registering High Resolution Timer.......Not needed (QuarnelOpenDMX keeps its own frame "
      "clock)";
  const std::vector<std::string> kShortcutLines = {"Updating Start Menu Shortcuts.......Success",
                                                   "Updating Desktop Icons.......Success"};
  const auto log = [&](std::vector<std::string> registration) {
    registration.push_back(kTimerLine);
    registration.insert(registration.end(), kShortcutLines.begin(), kShortcutLines.end());
    return registration;
  };
  const Case cases[] = {
      {"a folder the user may write", true, Workspace::kInstallFolder,
       log({"Registering Data API.......Success"})},
      {"a folder the user may not write", false, Workspace::kUserState,
       log({"Registering Data API.......Success"})},
      {"neither that folder nor the user's state folder may be written", false, Workspace::kNowhere,
       log({"Registering Data API.......Fail (-2147024891)",
            "({install}/libQuarnelDataAPI3.so: DllRegisterServer failed: Access is denied.)"})},
  };
  const User user = OrdinaryUser();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestHome home("-" + std::to_string(&c - cases));
    fs::permissions(home.Root(),
                    fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
    const fs::path install = home.Root() / "Quarnel 2011";

    // Installed as the README says.
    const platform::ProgramRun installed = platform::RunProgram(
        QUARNEL_CMAKE, {"--install", QUARNEL_BUILD_FOLDER, "--prefix", install.string()}, 180s);
    ASSERT_TRUE(installed.ran && installed.exit_code == 0) << installed.error;
    for (const char* file :
         {"PatchInstaller", "libQuarnelDataAPI3.so", "QuarnelOpenDMX", "QuarnelWebDiagnostics",
          "QuarnelWebDiagnostics.svg", "DMXRecaster.svg", "99-quarnel-opendmx.rules"}) {
      EXPECT_TRUE(fs::is_regular_file(install / file)) << file;
    }

    home.Touch(home.UserMenu() / "Quarnel 2011" / "Quarnel Sequencer.desktop");
    home.Touch(home.Desktop() / "Quarnel Scheduler.desktop");
    GiveTo(home.Home(), user);
    if (c.folder_writable) {
      GiveTo(install, user);
    } else if (!user.switched) {
      fs::permissions(install, fs::perms::owner_write, fs::perm_options::remove);
    }

    std::vector<std::string> args = {(install / "PatchInstaller").string()};
    std::string program = args.front();
    if (user.switched) {
      program = QUARNEL_SETPRIV;
      args.insert(args.begin(), {"--reuid=" + std::to_string(user.uid),
                                 "--regid=" + std::to_string(user.gid), "--clear-groups"});
    }
    auto environment = home.Environment();
    if (c.workspace == Workspace::kNowhere) {
      const fs::path locked_state = home.Root() / "locked-state";
      fs::create_directories(locked_state);
      fs::permissions(locked_state, fs::perms::owner_read | fs::perms::owner_exec);
      for (auto& [name, value] : environment) {
        if (name == "XDG_STATE_HOME") value = locked_state.string();
      }
    }
    dmx::harness::ServerProcess run({program, args, environment, (home.Root() / "run").string()});
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitExit(60s), 0) << run.Stdout() << run.Stderr();
    EXPECT_EQ(run.Stderr(), "");

    const std::vector<std::string> lines = LinesOf(run.Stdout());
    ASSERT_GE(lines.size(), 2 + c.first_lines.size() + 1) << run.Stdout();
    EXPECT_EQ(lines[0], "== Install Quarnel 2011 DMX Patch ==");
    EXPECT_EQ(lines[1], "Installation Progress");
    for (size_t i = 0; i < c.first_lines.size(); ++i) {
      std::string expected = c.first_lines[i];
      if (size_t at = expected.find("{install}"); at != std::string::npos) {
        expected.replace(at, 9, install.string());
      }
      EXPECT_EQ(lines[2 + i], expected);
    }
    // The device rule: in place already, or the commands for root.
    const std::string& rule_line = lines[2 + c.first_lines.size()];
    if (rule_line == "Installing the Open DMX USB device rule.......Needs root") {
      ASSERT_GE(lines.size(), 2 + c.first_lines.size() + 3);
      EXPECT_EQ(
          lines[3 + c.first_lines.size()],
          "Installing it needs root. To let QuarnelOpenDMX open Open DMX USB interfaces, run:");
      EXPECT_EQ(lines[4 + c.first_lines.size()],
                "  sudo install -m 644 '" + (install / "99-quarnel-opendmx.rules").string() +
                    "' /etc/udev/rules.d/");
    } else {
      EXPECT_EQ(rule_line, "Installing the Open DMX USB device rule.......Success");
    }

    testing::ExpectShortcutsIn(home.UserMenu() / "Quarnel 2011", install);
    testing::ExpectShortcutsIn(home.Desktop(), install);
    EXPECT_EQ(fs::exists(install / "workspace.lock"), c.workspace == Workspace::kInstallFolder);
    EXPECT_EQ(fs::exists(home.Home() / ".local" / "state" / "quarnel" / "workspace.lock"),
              c.workspace == Workspace::kUserState);
  }
}

}  // namespace
}  // namespace quarnel::installer
