// Running a tool as people and scripts do, for the tests of the tools: its exit status,
// standard output and standard error.
#pragma once

#include "platform/tests/TestSystem.h"

#include <string>
#include <vector>

namespace quarnel::tools_testing {

using platform::testing::ToolRun;

// Runs a command line as a person types it, on every system alike: words apart by
// spaces, a "quoted" word may hold spaces (backslashes are plain characters, as in
// Windows paths). Leading NAME=VALUE words set a variable for the tool, and a leading
// `env -u NAME` removes one. No shell is involved.
inline ToolRun RunTool(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (char c : command) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (c == ' ' && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word.push_back(c);
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);

  platform::testing::EnvironmentChanges environment;
  size_t first = 0;
  for (;;) {
    if (first + 2 < words.size() && words[first] == "env" && words[first + 1] == "-u") {
      environment[words[first + 2]] = std::nullopt;
      first += 3;
    } else if (first < words.size() && words[first].find('=') != std::string::npos &&
               words[first].find('=') > 0) {
      const size_t eq = words[first].find('=');
      environment[words[first].substr(0, eq)] = words[first].substr(eq + 1);
      ++first;
    } else {
      break;
    }
  }
  if (first >= words.size()) return {-1, "", "no program to run"};
  const std::vector<std::string> args(words.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                                      words.end());
  return platform::testing::RunTool(words[first], args, environment);
}

}  // namespace quarnel::tools_testing
