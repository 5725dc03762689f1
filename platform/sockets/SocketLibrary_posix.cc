#include "platform/sockets/SystemSockets.h"

namespace quarnel::platform {

void RequireSocketLibrary() {}

}  // namespace quarnel::platform
