// The library's registration entry points, exported by name for installers
// (DllRegisterServer) and uninstallers (DllUnregisterServer).
//
// On this system there is no class registry: registering makes the library ready to
// serve from where it lies. Its workspace folder is created when missing and must take a
// new file and the workspace lock, so that an installation that cannot work fails here,
// with a code saying what failed, and not at the first Load. Each returns 0 on success or
// a failure code of the system's family (ResultFromSystemError: access denied, write
// protected, path not found, not a folder, disk full, lock failed).
#pragma once

#include <cstdint>

extern "C" {

int32_t DllRegisterServer();
// Nothing is recorded outside the library's folder, so there is nothing to take back:
// the workspace and its caches stay. Returns 0.
int32_t DllUnregisterServer();

}  // extern "C"
