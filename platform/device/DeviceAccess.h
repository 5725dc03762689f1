// Access to the Open DMX USB interfaces: what the system needs so that the DMX output
// server, run by an ordinary user, may open an interface.
//
// On Linux that is the udev rule shipped beside the DMX output server
// ("99-quarnel-opendmx.rules"): it is copied into the system's rules folder and udev is
// told to reload its rules and look at the USB devices again. That needs root; anyone
// else is given the commands to run. Where the device driver grants access by itself,
// nothing is needed: so on Windows, where the driver comes with the interface's own
// installer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::platform {

inline constexpr char kDeviceRuleFile[] = "99-quarnel-opendmx.rules";
inline constexpr char kDeviceGroup[] = "plugdev";

// Where the rule goes and how the system is asked to use it. The defaults are the
// system's; tests point them elsewhere.
struct DeviceAccessSystem {
  std::filesystem::path rules_folder = "/etc/udev/rules.d";
  std::string udevadm = "udevadm";           // looked up on PATH
  std::optional<bool> administrator;         // default: whether this process runs as root
  std::optional<bool> user_in_device_group;  // default: from this process's groups
};

struct DeviceAccessOutcome {
  enum class Kind {
    kNotNeeded,           // the system needs no rule
    kInstalled,           // the rule was installed now
    kAlreadyInPlace,      // the same rule was installed before
    kNeedsAdministrator,  // only root may install it: the notes say how
    kFailed,              // see code and notes
  };
  Kind kind = Kind::kNotNeeded;
  int32_t code = 0;                // the failure code for kFailed (see ResultCode.h)
  std::vector<std::string> notes;  // lines for a log: what failed, commands to run, hints
};

// Whether this system needs a rule at all.
bool DeviceAccessNeeded();

// Installs the rule found in `program_folder`.
DeviceAccessOutcome GrantDeviceAccess(const std::filesystem::path& program_folder,
                                      const DeviceAccessSystem& system = {});

}  // namespace quarnel::platform
