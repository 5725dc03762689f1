// The folder of the program or shared library that holds a given piece of code: a
// library finds the files that lie beside its own file with it.
#pragma once

#include <filesystem>

namespace quarnel::platform {

// The absolute folder of the module (executable or shared library) whose code or data
// lies at `address`; empty when the system cannot say.
std::filesystem::path ModuleFolder(const void* address);

}  // namespace quarnel::platform
