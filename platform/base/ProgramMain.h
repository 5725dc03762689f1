// The last line of defence of every program and tool: whatever its work throws and does
// not handle itself ends the program with one line on standard error, naming the program,
// the file it was working on and the reason, and exit status 1. Nothing escapes to the
// runtime's abort, which would say nothing a user understands.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace quarnel {

// Runs `work` and returns its exit status. When it throws, writes
// "<program>: <file>: <reason>" (without "<file>: " when `file` is empty) as one line to
// `errors` and returns 1.
int RunProgram(std::string_view program, std::string_view file, const std::function<int()>& work,
               std::ostream& errors);

// The text on one line: line breaks and tabs become spaces, runs of them one space.
std::string OneLine(std::string_view text);

}  // namespace quarnel
