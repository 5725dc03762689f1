// On POSIX systems the system's error numbers are errno values: they are mapped by the
// causes they stand for, as generic ones are.
#include "platform/component/SystemResult.h"

namespace quarnel::platform {

std::optional<int32_t> ResultFromSystemNumber(int) { return std::nullopt; }

}  // namespace quarnel::platform
