#include "platform/component/ResultCode.h"

#include "platform/component/SystemResult.h"

#include <cstdio>

namespace quarnel::platform {

int32_t ResultFromErrorCode(const std::error_code& error) {
  if (!error) return kResultOk;
  if (error.category() == std::system_category()) {
    if (const std::optional<int32_t> code = ResultFromSystemNumber(error.value())) return *code;
  }
  const std::error_condition cause = error.default_error_condition();
  if (cause == std::errc::permission_denied || cause == std::errc::operation_not_permitted) {
    return kResultAccessDenied;
  }
  if (cause == std::errc::not_enough_memory) return kResultOutOfMemory;
  if (cause == std::errc::read_only_file_system) return kResultWriteProtected;
  if (cause == std::errc::no_such_file_or_directory) return kResultPathNotFound;
  if (cause == std::errc::not_a_directory) return kResultNotAFolder;
  if (cause == std::errc::no_space_on_device) return kResultDiskFull;
  if (cause == std::errc::no_lock_available || cause == std::errc::resource_deadlock_would_occur) {
    return kResultLockFailed;
  }
  return kResultUnspecified;
}

std::string ResultText(int32_t code) {
  struct Known {
    int32_t code;
    const char* text;
  };
  static constexpr Known kKnown[] = {
      {kResultOk, "The operation completed successfully."},
      {kResultUnspecified, "Unspecified error."},
      {kResultFileNotFound, "The system cannot find the file specified."},
      {kResultPathNotFound, "The system cannot find the path specified."},
      {kResultAccessDenied, "Access is denied."},
      {kResultOutOfMemory, "Not enough memory resources are available to complete this operation."},
      {kResultWriteProtected, "The media is write protected."},
      {kResultDiskFull, "There is not enough space on the disk."},
      {kResultModuleNotFound, "The specified module could not be found."},
      {kResultProcedureNotFound, "The specified procedure could not be found."},
      {kResultLockFailed, "Unable to lock a region of a file."},
      {kResultBadModule, "The file is not a valid library for this system."},
      {kResultNotAFolder, "The directory name is invalid."},
  };
  for (const Known& known : kKnown) {
    if (known.code == code) return known.text;
  }
  char hex[32];
  std::snprintf(hex, sizeof hex, "Error 0x%08X.", static_cast<unsigned>(code));
  return hex;
}

}  // namespace quarnel::platform
