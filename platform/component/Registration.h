// Registering in-process component libraries: a library is loaded from its file, its
// exported DllRegisterServer (or DllUnregisterServer) is called, and the library is let go.
//
// Every failure comes back as a result code with words, never as a crash or an exception:
// a file that is not there, a file the system cannot load, a library without the export,
// and the library's own failure code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quarnel::platform {

struct RegistrationOutcome {
  int32_t code = 0;    // 0, or the failure code (see ResultCode.h)
  std::string reason;  // what failed, in words; empty on success
  std::string note;    // on success, what is worth telling about it; mostly empty
};

// Calls the library's DllRegisterServer.
RegistrationOutcome RegisterServer(const std::filesystem::path& library);
// Calls the library's DllUnregisterServer.
RegistrationOutcome UnregisterServer(const std::filesystem::path& library);

// What an entry point's answer means: success codes (0 and the other non-negative ones)
// are success, the rest failures. S_FALSE (1) from DllRegisterServer is a registration for
// the current user only, because the machine's classes could not be written.
RegistrationOutcome OutcomeOfEntry(const std::string& file, const char* entry_name, int32_t code);

// The file of the component library called `name` on this system ("libNAME.so",
// "NAME.dll").
std::string ComponentLibraryFileName(std::string_view name);

// The file of the outside high-resolution timer component, where the system has one to
// register ("vbalHTmr6.dll" on Windows); empty where there is no such component (the
// DMX output server keeps its own frame clock there).
std::string FrameClockLibraryFileName();

}  // namespace quarnel::platform
