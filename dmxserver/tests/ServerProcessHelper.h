// The helper that server_process_tests starts in a copy of itself
// (ServerProcessHelper.DISABLED_TicksUntilAskedToEnd): it writes "ready", the value of
// QUARNEL_HELPER_WORD and its own arguments joined by '|' on standard output, a line on
// standard error, then "tick" every 20 ms until it is asked to end as the system asks
// programs to (POSIX: SIGTERM or SIGINT; Windows: its window closed, or Ctrl+Break);
// then it writes "bye" and ends with 0. It ends by itself after 30 seconds.
#pragma once

#include <string>
#include <vector>

namespace quarnel::dmx::harness {

inline constexpr const char* kHelperFlags[] = {
    "--gtest_also_run_disabled_tests",
    "--gtest_filter=ServerProcessHelper.DISABLED_TicksUntilAskedToEnd"};

// The first line the helper writes, for its word and arguments.
std::string HelperReadyLine(const std::string& word, const std::vector<std::string>& args);

// Runs the helper's loop (ServerProcessHelper_posix.cc, _win.cc); returns its exit code.
int RunHelper();

}  // namespace quarnel::dmx::harness
