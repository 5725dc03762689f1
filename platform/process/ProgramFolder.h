// The folder of the running program, where its data files lie (installation puts every
// deliverable and its data files in one folder).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel::platform {

// Empty when the system cannot say.
std::filesystem::path ProgramFolder();

// The file name of the program called `name` on this system (no ending on Linux).
std::string ProgramFileName(std::string_view name);

}  // namespace quarnel::platform
