#include "platform/base/Terminal.h"

#include <unistd.h>

namespace quarnel::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace quarnel::platform
