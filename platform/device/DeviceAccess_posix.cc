#include "platform/component/ResultCode.h"
#include "platform/device/DeviceAccess.h"
#include "platform/fs/ReplacingFile.h"
#include "platform/process/ProgramRun.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;
using Kind = DeviceAccessOutcome::Kind;

constexpr std::chrono::seconds kUdevadmLimit{15};

// A word for a POSIX shell: as it is when it holds only plain characters, else quoted.
std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/._-+:,=@").find(c) != std::string_view::npos;
  });
  if (plain) return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool InDeviceGroup() {
  const group* entry = ::getgrnam(kDeviceGroup);
  if (entry == nullptr) return false;
  const gid_t wanted = entry->gr_gid;
  if (::getegid() == wanted) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  const int got = ::getgroups(count, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, wanted) != groups.begin() + got;
}

std::string UserName() {
  if (const char* sudo_user = std::getenv("SUDO_USER"); sudo_user != nullptr && *sudo_user) {
    return sudo_user;
  }
  if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name) {
    return entry->pw_name;
  }
  return "$USER";
}

// The commands that put a user into the device group, run with sudo.
std::vector<std::string> JoinGroupCommands() {
  std::vector<std::string> lines;
  if (::getgrnam(kDeviceGroup) == nullptr) {
    lines.push_back(std::string("  sudo groupadd --system ") + kDeviceGroup);
  }
  lines.push_back(std::string("  sudo usermod -aG ") + kDeviceGroup + " " + ShellWord(UserName()));
  lines.push_back("(then log in again and plug the interface in again)");
  return lines;
}

// What udev is asked once the rule is in place: to load the rules again, and to look at
// the interfaces (FTDI's vendor number) once more so that those plugged in get the rule.
const std::vector<std::vector<std::string>>& UdevCalls() {
  static const std::vector<std::vector<std::string>> calls = {
      {"control", "--reload-rules"},
      {"trigger", "--subsystem-match=usb", "--attr-match=idVendor=0403"}};
  return calls;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += " " + word;
  return line;
}

bool ReadFile(const fs::path& path, std::string& bytes, std::error_code& ec) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ec = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    ec = std::make_error_code(std::errc::io_error);
    return false;
  }
  return true;
}

DeviceAccessOutcome Failed(int32_t code, std::string note) {
  DeviceAccessOutcome outcome;
  outcome.kind = Kind::kFailed;
  outcome.code = code;
  outcome.notes.push_back(std::move(note));
  return outcome;
}

// Asks udev to load the rules again and to look at the USB devices once more; empty when
// that worked, else why not.
std::string ReloadUdev(const std::string& udevadm) {
  for (const std::vector<std::string>& args : UdevCalls()) {
    const ProgramRun run = RunProgram(udevadm, args, kUdevadmLimit);
    if (!run.ran) return run.error;
    if (run.exit_code != 0) {
      return udevadm + " " + args.front() + " ended with status " + std::to_string(run.exit_code);
    }
  }
  return {};
}

DeviceAccessOutcome Install(const fs::path& target, const std::string& rule,
                            const DeviceAccessSystem& system) {
  std::error_code ec;
  if (!fs::is_directory(system.rules_folder, ec)) {
    return Failed(kResultPathNotFound, "(the rules folder " + system.rules_folder.string() +
                                           " is not there: is udev installed?)");
  }
  try {
    ReplacingFile out(target);
    out.Write(rule);
    out.Commit();
  } catch (const std::system_error& e) {
    return Failed(ResultFromErrorCode(e.code()),
                  "(" + target.string() + " could not be written: " + e.code().message() + ")");
  }
  DeviceAccessOutcome outcome;
  outcome.kind = Kind::kInstalled;
  if (const std::string why = ReloadUdev(system.udevadm); !why.empty()) {
    outcome.notes.push_back("(the rule is in place, but udev could not be told to load it (" + why +
                            "); it takes effect when udev starts again)");
  }
  outcome.notes.push_back(std::string("(members of the ") + kDeviceGroup +
                          " group may now use the interfaces; add a user with: usermod -aG " +
                          kDeviceGroup + " " + ShellWord(UserName()) + ")");
  return outcome;
}

}  // namespace

bool DeviceAccessNeeded() { return true; }

DeviceAccessOutcome GrantDeviceAccess(const fs::path& program_folder,
                                      const DeviceAccessSystem& system) {
  const fs::path source = program_folder / kDeviceRuleFile;
  std::string rule;
  std::error_code ec;
  if (!fs::exists(source, ec)) {
    return Failed(kResultFileNotFound, "(the rule file " + source.string() +
                                           " is missing: it comes with QuarnelOpenDMX)");
  }
  if (!ReadFile(source, rule, ec)) {
    return Failed(ResultFromErrorCode(ec),
                  "(the rule file " + source.string() + " cannot be read: " + ec.message() + ")");
  }

  const fs::path target = system.rules_folder / kDeviceRuleFile;
  const bool administrator = system.administrator.value_or(::geteuid() == 0);
  const bool in_group = system.user_in_device_group.value_or(InDeviceGroup());

  std::string installed;
  std::error_code ignored;
  if (ReadFile(target, installed, ignored) && installed == rule) {
    DeviceAccessOutcome outcome;
    outcome.kind = Kind::kAlreadyInPlace;
    if (!administrator && !in_group) {
      outcome.notes.push_back(
          std::string("The rule is in place. To use the interfaces, join the ") + kDeviceGroup +
          " group:");
      for (std::string& line : JoinGroupCommands()) outcome.notes.push_back(std::move(line));
    }
    return outcome;
  }
  if (administrator) return Install(target, rule, system);

  DeviceAccessOutcome outcome;
  outcome.kind = Kind::kNeedsAdministrator;
  outcome.notes = {
      "Installing it needs root. To let QuarnelOpenDMX open Open DMX USB interfaces, run:",
      "  sudo install -m 644 " + ShellWord(source.string()) + " " +
          ShellWord(system.rules_folder.string() + "/")};
  for (const std::vector<std::string>& args : UdevCalls()) {
    outcome.notes.push_back("  sudo udevadm" + Joined(args));
  }
  if (!in_group) {
    for (std::string& line : JoinGroupCommands()) outcome.notes.push_back(std::move(line));
  } else {
    outcome.notes.push_back("(then plug the interface in again)");
  }
  return outcome;
}

}  // namespace quarnel::platform
