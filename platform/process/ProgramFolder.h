// The folder of the running program, where its data files lie (installation puts every
// deliverable and its data files in one folder).
#pragma once

#include <filesystem>

namespace quarnel::platform {

// Empty when the system cannot say.
std::filesystem::path ProgramFolder();

}  // namespace quarnel::platform
