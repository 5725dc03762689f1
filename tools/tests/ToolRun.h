// Running a tool as people and scripts do, for the tests of the tools: its exit status,
// standard output and standard error.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>

namespace quarnel::tools_testing {

struct ToolRun {
  int status;  // exit status; -1 when the tool did not exit (a signal ended it)
  std::string out;
  std::string err;
};

// Runs the shell command `command`, its standard error sent through `err_file`.
inline ToolRun RunTool(const std::string& command, const std::filesystem::path& err_file) {
  FILE* p = popen((command + " 2>\"" + err_file.string() + "\"").c_str(), "r");
  if (!p) return {-1, "", ""};
  std::string out;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int rc = pclose(p);
  std::ifstream in(err_file);
  return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, out,
          std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())};
}

}  // namespace quarnel::tools_testing
