#include "platform/window/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace quarnel::platform {

ConsoleKind StandardOutputKind() {
  ConsoleKind kind;
  kind.terminal = ::isatty(STDOUT_FILENO) != 0;
  winsize size{};
  if (kind.terminal && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    kind.columns = size.ws_col;
  }
  return kind;
}

}  // namespace quarnel::platform
