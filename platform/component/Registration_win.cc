#include "platform/base/ComForThisThread_win.h"
#include "platform/base/PathText.h"
#include "platform/base/WideText_win.h"
#include "platform/component/Registration.h"
#include "platform/component/ResultCode.h"

#include <system_error>

// clang-format off
#include <windows.h>  // before objbase.h
#include <objbase.h>
// clang-format on

namespace quarnel::platform {
namespace {

// The entry points take nothing and answer a result code, in the system's standard
// calling convention.
using EntryPoint = HRESULT(WINAPI*)();

RegistrationOutcome CallExport(const std::filesystem::path& library, const char* entry_name) {
  std::error_code ec;
  const std::filesystem::path file = std::filesystem::absolute(library, ec);
  if (ec || !std::filesystem::exists(file, ec)) {
    return {kResultModuleNotFound, Utf8FromPath(library) + " is not there", {}};
  }
  ComForThisThread com;
  // The library's own folder is searched for the libraries it needs.
  const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    const DWORD error = GetLastError();
    return {ResultFromSystemError(error), Utf8FromPath(file) + ": " + SystemErrorText(error), {}};
  }
  struct Release {
    HMODULE module;
    ~Release() { FreeLibrary(module); }
  } release{module};
  const auto entry =
      reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, entry_name)));
  if (entry == nullptr) {
    return {kResultProcedureNotFound,
            Utf8FromPath(file.filename()) + " has no " + entry_name + " entry point",
            {}};
  }
  const int32_t code = entry();
  return OutcomeOfEntry(Utf8FromPath(file), entry_name, code);
}

}  // namespace

RegistrationOutcome RegisterServer(const std::filesystem::path& library) {
  return CallExport(library, "DllRegisterServer");
}

RegistrationOutcome UnregisterServer(const std::filesystem::path& library) {
  return CallExport(library, "DllUnregisterServer");
}

std::string ComponentLibraryFileName(std::string_view name) { return std::string(name) + ".dll"; }

// The product's high-resolution timer component lies beside the patch and is registered
// by its file name; it is not ours, so a missing file is a failure the log shows.
std::string FrameClockLibraryFileName() { return "vbalHTmr6.dll"; }

}  // namespace quarnel::platform
