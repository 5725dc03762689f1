// Whether a program's standard error is a terminal a person watches, so that progress
// texts are shown to people and kept out of files and pipes.
#pragma once

namespace quarnel::platform {

bool StandardErrorIsTerminal();

}  // namespace quarnel::platform
