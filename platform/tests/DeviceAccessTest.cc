// Installing the USB device rule: by root (with udev told to reload), or the commands for
// someone else to run, and what is already in place.
#include "platform/component/ResultCode.h"
#include "platform/device/DeviceAccess.h"
#include "platform/tests/ScopedEnvironment.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;
using Kind = DeviceAccessOutcome::Kind;

constexpr char kRule[] = "SUBSYSTEM==\"usb\", ATTR{idVendor}==\"0403\", GROUP=\"plugdev\"\n";
constexpr char kReload[] = "control --reload-rules";
constexpr char kTrigger[] = "trigger --subsystem-match=usb --attr-match=idVendor=0403";

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(DeviceAccessTest, RootInstallsTheRuleAndOthersAreToldHow) {
  enum class Udevadm { kWorks, kFails, kMissing };
  struct Case {
    const char* name;
    bool shipped;
    std::optional<std::string> installed_before;
    bool rules_folder;
    bool administrator;
    bool in_group;
    Udevadm udevadm;
    Kind kind;
    int32_t code;
    std::vector<std::string> calls;
    std::vector<std::string> notes_containing;
    bool rule_in_place_after;
  };
  const std::string kNeedsRoot =
      "Installing it needs root. To let QuarnelOpenDMX open Open DMX USB interfaces, run:";
  const Case cases[] = {
      // clang-format off
      // name, shipped, installed before, rules folder, root, in group, udevadm,
      //   outcome, code, udevadm calls, parts of the notes, rule in place after
      {"root installs and reloads", true, {}, true, true, false, Udevadm::kWorks,
       Kind::kInstalled, 0, {kReload, kTrigger},
       {"(members of the plugdev group may now use the interfaces"}, true},
      {"root replaces another rule", true, "old", true, true, true, Udevadm::kWorks,
       Kind::kInstalled, 0, {kReload, kTrigger}, {"usermod -aG plugdev 'alice o')"}, true},
      {"udev refuses the reload", true, {}, true, true, true, Udevadm::kFails,
       Kind::kInstalled, 0, {kReload},
       {"(the rule is in place, but udev could not be told to load it (", "status 3"}, true},
      {"no udevadm", true, {}, true, true, true, Udevadm::kMissing,
       Kind::kInstalled, 0, {},
       {"No such file or directory); it takes effect when udev starts again)"}, true},
      {"no rules folder", true, {}, false, true, true, Udevadm::kWorks,
       Kind::kFailed, kResultPathNotFound, {}, {"is not there: is udev installed?)"}, false},
      {"a user outside the group", true, {}, true, false, false, Udevadm::kWorks,
       Kind::kNeedsAdministrator, 0, {},
       {kNeedsRoot, "  sudo udevadm control --reload-rules\n  sudo udevadm " + std::string(kTrigger),
        "  sudo usermod -aG plugdev 'alice o'\n(then log in again and plug the interface in again)"},
       false},
      {"a user in the group", true, {}, true, false, true, Udevadm::kWorks,
       Kind::kNeedsAdministrator, 0, {}, {kNeedsRoot, "\n(then plug the interface in again)\n"},
       false},
      {"in place already", true, kRule, true, false, true, Udevadm::kWorks,
       Kind::kAlreadyInPlace, 0, {}, {}, true},
      {"in place, user outside the group", true, kRule, true, false, false, Udevadm::kWorks,
       Kind::kAlreadyInPlace, 0, {},
       {"The rule is in place. To use the interfaces, join the plugdev group:\n",
        "  sudo usermod -aG plugdev 'alice o'\n"}, true},
      {"rule not shipped", false, {}, true, true, true, Udevadm::kWorks,
       Kind::kFailed, kResultFileNotFound, {}, {" is missing: it comes with QuarnelOpenDMX)"}, false},
      // clang-format on
  };

  const fs::path root =
      fs::path(::testing::TempDir()) / ("device-access-" + std::to_string(::getpid()));
  testing::ScopedEnvironment env;
  env.Set("SUDO_USER", "alice o");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root);
    const fs::path program = root / "prog dir";
    fs::create_directories(program);
    if (c.shipped) std::ofstream(program / kDeviceRuleFile) << kRule;
    DeviceAccessSystem system;
    system.rules_folder = root / "rules";
    if (c.rules_folder) fs::create_directories(system.rules_folder);
    if (c.installed_before)
      std::ofstream(system.rules_folder / kDeviceRuleFile) << *c.installed_before;
    system.udevadm = (root / "udevadm").string();
    if (c.udevadm != Udevadm::kMissing) {
      std::ofstream(root / "udevadm")
          << "#!/bin/sh\necho \"$*\" >> '" << (root / "calls").string() << "'\nexit "
          << (c.udevadm == Udevadm::kFails ? 3 : 0) << "\n";
      fs::permissions(root / "udevadm", fs::perms::owner_all);
    }
    system.administrator = c.administrator;
    system.user_in_device_group = c.in_group;

    const DeviceAccessOutcome outcome = GrantDeviceAccess(program, system);
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(Lines(ReadAll(root / "calls")), c.calls);
    const std::string notes = Joined(outcome.notes);
    for (const std::string& part : c.notes_containing) {
      EXPECT_NE(notes.find(part), std::string::npos) << part << "\nin:\n" << notes;
    }
    if (c.notes_containing.empty()) {
      EXPECT_EQ(notes, "");
    }
    EXPECT_EQ(ReadAll(system.rules_folder / kDeviceRuleFile) == kRule, c.rule_in_place_after);
    if (c.kind == Kind::kNeedsAdministrator) {
      ASSERT_GE(outcome.notes.size(), 2u);
      EXPECT_EQ(outcome.notes[1], "  sudo install -m 644 '" + (program / kDeviceRuleFile).string() +
                                      "' " + (root / "rules").string() + "/");
    }
  }
  fs::remove_all(root);
  EXPECT_TRUE(DeviceAccessNeeded());
}

}  // namespace
}  // namespace quarnel::platform
