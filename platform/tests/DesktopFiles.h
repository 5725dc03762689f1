// Reading desktop entries back the way desktops do, for tests: the keys of the entry
// with the value escapes undone, the Exec key split into the program and its arguments by
// the quoting rules, and what desktop-file-validate (Debian's desktop-file-utils) finds
// wrong with a file.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::platform::testing {

// The keys of the [Desktop Entry] group, values unescaped.
std::map<std::string, std::string> ReadDesktopKeys(const std::filesystem::path& file);

// The words of an (unescaped) Exec value; nullopt when it breaks the quoting rules.
std::optional<std::vector<std::string>> ExecArguments(std::string_view exec);

// desktop-file-validate's complaints about `file`; empty when it finds none.
std::string DesktopFileComplaints(const std::filesystem::path& file);

}  // namespace quarnel::platform::testing
