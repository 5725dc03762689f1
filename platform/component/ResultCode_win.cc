// On Windows the system's error numbers (GetLastError) are the family's own: code
// 0x8007xxxx carries the number itself.
#include "platform/component/ResultCode.h"
#include "platform/component/SystemResult.h"

namespace quarnel::platform {

std::optional<int32_t> ResultFromSystemNumber(int number) {
  return ResultFromSystemError(static_cast<uint32_t>(number));
}

}  // namespace quarnel::platform
