#include "platform/component/Registration.h"
#include "platform/component/ResultCode.h"

#include <memory>
#include <system_error>

#include <dlfcn.h>

namespace quarnel::platform {
namespace {

struct LibraryCloser {
  void operator()(void* handle) const { ::dlclose(handle); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

using EntryPoint = int32_t (*)();

RegistrationOutcome CallExport(const std::filesystem::path& library, const char* entry_name) {
  std::error_code ec;
  const std::filesystem::path file = std::filesystem::absolute(library, ec);
  if (ec || !std::filesystem::exists(file, ec)) {
    return {kResultModuleNotFound, library.string() + " is not there", {}};
  }
  ::dlerror();
  LibraryHandle handle(::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) {
    const char* why = ::dlerror();
    return {kResultBadModule, why != nullptr ? why : file.string() + " cannot be loaded", {}};
  }
  void* symbol = ::dlsym(handle.get(), entry_name);
  if (symbol == nullptr) {
    return {kResultProcedureNotFound,
            file.filename().string() + " has no " + entry_name + " entry point",
            {}};
  }
  const auto entry = reinterpret_cast<EntryPoint>(symbol);
  const int32_t code = entry();
  return OutcomeOfEntry(file.string(), entry_name, code);
}

}  // namespace

RegistrationOutcome RegisterServer(const std::filesystem::path& library) {
  return CallExport(library, "DllRegisterServer");
}

RegistrationOutcome UnregisterServer(const std::filesystem::path& library) {
  return CallExport(library, "DllUnregisterServer");
}

std::string ComponentLibraryFileName(std::string_view name) {
  return "lib" + std::string(name) + ".so";
}

std::string FrameClockLibraryFileName() { return {}; }

}  // namespace quarnel::platform
