// On Windows the interface's driver, installed by the interface's own installer, grants
// every user access to the device: there is no rule to install.
#include "platform/device/DeviceAccess.h"

namespace quarnel::platform {

bool DeviceAccessNeeded() { return false; }

DeviceAccessOutcome GrantDeviceAccess(const std::filesystem::path&, const DeviceAccessSystem&) {
  return {};
}

}  // namespace quarnel::platform
