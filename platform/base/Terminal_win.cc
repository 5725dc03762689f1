// A console answers GetConsoleMode; files, pipes and the null device do not.
#include "platform/base/Terminal.h"

#include <windows.h>

namespace quarnel::platform {

bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace quarnel::platform
