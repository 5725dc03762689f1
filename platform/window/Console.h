// What the standard output of a program is: a terminal a person watches (where a status
// line can be redrawn in place) or a file or pipe (where only whole lines make sense).
#pragma once

namespace quarnel::platform {

struct ConsoleKind {
  bool terminal = false;
  int columns = 80;  // the terminal's width; 80 when unknown
};

ConsoleKind StandardOutputKind();

}  // namespace quarnel::platform
