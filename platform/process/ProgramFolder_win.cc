#include "platform/process/ModuleFile_win.h"
#include "platform/process/ProgramFolder.h"

namespace quarnel::platform {

std::filesystem::path ProgramFolder() { return ModuleFile(nullptr).parent_path(); }

std::string ProgramFileName(std::string_view name) { return std::string(name) + ".exe"; }

}  // namespace quarnel::platform
