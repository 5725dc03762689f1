// The GoogleTest flags that make a copy of process_tests run its helper
// (ProcessHelper.DISABLED_WritesItsArgumentsAndWaits, Windows only): it writes its
// arguments after the first to the file the first names, then waits ten seconds.
#pragma once

namespace quarnel::platform {

inline constexpr const char* kProcessHelperFlags[] = {
    "--gtest_also_run_disabled_tests",
    "--gtest_filter=ProcessHelper.DISABLED_WritesItsArgumentsAndWaits"};

}  // namespace quarnel::platform
