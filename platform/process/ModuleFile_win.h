// The file of a loaded module. Windows builds only.
#pragma once

#include <filesystem>

#include <windows.h>

namespace quarnel::platform {

// The full path of the module (null: the program itself); empty when the system cannot say.
std::filesystem::path ModuleFile(HMODULE module);

}  // namespace quarnel::platform
