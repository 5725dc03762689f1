// Threads for work in the background (writing a file, a name lookup), which must never
// take the signals meant for the program's own thread: on POSIX that thread turns
// SIGINT and SIGTERM into an orderly shut-down, so a background thread starts with
// every signal blocked. Windows delivers no such signals to threads.
#pragma once

#include <functional>
#include <thread>

namespace quarnel::platform {

// Starts `work` on a new thread; throws std::system_error as std::thread does.
std::thread StartBackgroundThread(std::function<void()> work);

}  // namespace quarnel::platform
