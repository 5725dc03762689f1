// Result codes of component calls (DllRegisterServer and its kin): 0 for success, or a
// failure code of the system's family, 0x8007xxxx carrying a system error number. The same
// numbers on every system, so that a log reads alike wherever it was written.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace quarnel::platform {

// A system error number as a failure code (0x80070000 | number).
constexpr int32_t ResultFromSystemError(uint32_t number) {
  return static_cast<int32_t>(0x80070000u | (number & 0xFFFFu));
}

inline constexpr int32_t kResultOk = 0;
inline constexpr int32_t kResultUnspecified = static_cast<int32_t>(0x80004005u);
inline constexpr int32_t kResultFileNotFound = ResultFromSystemError(2);
inline constexpr int32_t kResultPathNotFound = ResultFromSystemError(3);
inline constexpr int32_t kResultAccessDenied = ResultFromSystemError(5);
inline constexpr int32_t kResultOutOfMemory = ResultFromSystemError(14);
inline constexpr int32_t kResultWriteProtected = ResultFromSystemError(19);
inline constexpr int32_t kResultDiskFull = ResultFromSystemError(112);
inline constexpr int32_t kResultModuleNotFound = ResultFromSystemError(126);
inline constexpr int32_t kResultProcedureNotFound = ResultFromSystemError(127);
inline constexpr int32_t kResultLockFailed = ResultFromSystemError(167);
inline constexpr int32_t kResultBadModule = ResultFromSystemError(193);
inline constexpr int32_t kResultNotAFolder = ResultFromSystemError(267);

// The failure code for a failed file operation (kResultUnspecified for causes without one).
int32_t ResultFromErrorCode(const std::error_code& error);

// What a code means, in the system's words ("Access is denied."); for a code the system
// has no words for, "Error 0x8xxxxxxx.".
std::string ResultText(int32_t code);

}  // namespace quarnel::platform
