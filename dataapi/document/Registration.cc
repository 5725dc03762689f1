#include "dataapi/Registration.h"

#include "dataapi/File.h"
#include "dataapi/document/Workspace.h"
#include "platform/base/Error.h"
#include "platform/component/ResultCode.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/ReplacingFile.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace quarnel::dataapi {
namespace {

namespace fs = std::filesystem;

constexpr char kSource[] = "DllRegisterServer";

}  // namespace

int32_t ReadyWorkspaceFolder() {
  const fs::path folder = WorkspaceFolder();
  if (folder.empty()) return platform::kResultPathNotFound;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    if (fs::exists(folder, ec)) return platform::kResultNotAFolder;
    fs::create_directories(folder, ec);
    if (ec) return platform::ResultFromErrorCode(ec);
  }
  // A file can be made and written there; it goes again when `probe` ends uncommitted.
  try {
    platform::ReplacingFile probe(folder / "registration.tmp");
    probe.Write("ready");
  } catch (const std::system_error& e) {
    return platform::ResultFromErrorCode(e.code());
  }
  try {
    platform::ExclusiveFileLock lock(folder / fs::path(Workspace::kLockFile), kSource);
  } catch (const Error&) {
    return platform::kResultLockFailed;
  }
  return platform::kResultOk;
}

}  // namespace quarnel::dataapi

extern "C" int32_t DllRegisterServer() {
  try {
    return quarnel::dataapi::ReadyWorkspaceFolder();
  } catch (const std::bad_alloc&) {
    return quarnel::platform::kResultOutOfMemory;
  } catch (...) {
    return quarnel::platform::kResultUnspecified;
  }
}

extern "C" int32_t DllUnregisterServer() { return quarnel::platform::kResultOk; }
