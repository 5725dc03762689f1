// What a new process is given on Windows: its command line, one string that the C
// runtime of the program splits back into arguments, and its environment block.
// Windows builds only.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::platform {

// One argument as the C runtime reads it back: quoted when it is empty or holds spaces
// or quotes, with the backslashes before a quote doubled.
std::wstring QuotedArgument(const std::wstring& arg);

// The program's path (quoted) and then each argument (UTF-8), quoted as needed.
std::wstring CommandLineOf(const std::filesystem::path& program,
                           const std::vector<std::string>& args);

// This process's environment block with `changes` made: a value sets a variable,
// nullopt removes it (names compare without case, as the system compares them).
std::wstring EnvironmentBlockWith(const std::map<std::string, std::optional<std::string>>& changes);

}  // namespace quarnel::platform
