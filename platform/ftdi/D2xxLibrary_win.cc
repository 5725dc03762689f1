#include "platform/ftdi/D2xxLibrary_win.h"

#include "platform/base/WideText_win.h"

namespace quarnel::ftdi {

namespace {

// Takes the address of `name` from the library into `call`; false when it has none.
template <typename Call>
bool Resolve(HMODULE module, const char* name, Call& call, std::string* missing) {
  // The library's calls are plain C functions; their addresses are cast to their type.
  call = reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  if (call == nullptr && missing->empty()) *missing = name;
  return call != nullptr;
}

}  // namespace

std::unique_ptr<D2xxLibrary> D2xxLibrary::Load(const std::wstring& file, std::string* error) {
  const std::string name = platform::Utf8FromWide(file);
  // The safe search order where the system has it; Windows 7 without its update refuses
  // the flag, and then the ordinary search applies.
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
    module = LoadLibraryW(file.c_str());
  }
  if (module == nullptr) {
    const DWORD code = GetLastError();
    *error = "cannot load " + name + ", the D2XX driver library of the Open DMX USB interface (" +
             platform::SystemErrorText(code) +
             "). It is installed with the interface's driver: install the driver from the "
             "interface's maker, then start this program again";
    return nullptr;
  }
  std::unique_ptr<D2xxLibrary> library(new D2xxLibrary(module));
  std::string missing;
  Resolve(module, "FT_ListDevices", library->FT_ListDevices, &missing);
  Resolve(module, "FT_Open", library->FT_Open, &missing);
  Resolve(module, "FT_Close", library->FT_Close, &missing);
  Resolve(module, "FT_ResetDevice", library->FT_ResetDevice, &missing);
  Resolve(module, "FT_SetDivisor", library->FT_SetDivisor, &missing);
  Resolve(module, "FT_SetDataCharacteristics", library->FT_SetDataCharacteristics, &missing);
  Resolve(module, "FT_SetFlowControl", library->FT_SetFlowControl, &missing);
  Resolve(module, "FT_ClrRts", library->FT_ClrRts, &missing);
  Resolve(module, "FT_Purge", library->FT_Purge, &missing);
  Resolve(module, "FT_SetBreakOn", library->FT_SetBreakOn, &missing);
  Resolve(module, "FT_SetBreakOff", library->FT_SetBreakOff, &missing);
  Resolve(module, "FT_Write", library->FT_Write, &missing);
  if (!missing.empty()) {
    *error = name + " has no " + missing +
             ": it is not the D2XX driver library, or a version too old; reinstall the "
             "interface's driver";
    return nullptr;
  }
  return library;
}

D2xxLibrary::~D2xxLibrary() { FreeLibrary(module_); }

std::string D2xxStatusText(FT_STATUS status) {
  const char* words = nullptr;
  switch (status) {
    case kFtOk:
      words = "success";
      break;
    case kFtInvalidHandle:
      words = "invalid handle";
      break;
    case kFtDeviceNotFound:
      words = "device not found";
      break;
    case kFtDeviceNotOpened:
      words = "device not opened";
      break;
    case kFtIoError:
      words = "I/O error";
      break;
    case kFtInsufficientResources:
      words = "insufficient resources";
      break;
    case kFtInvalidParameter:
      words = "invalid parameter";
      break;
    case kFtInvalidBaudRate:
      words = "invalid baud rate";
      break;
    case kFtNotSupported:
      words = "not supported";
      break;
    case kFtOtherError:
      words = "other error";
      break;
  }
  std::string text = "status " + std::to_string(status);
  if (words != nullptr) text += std::string(", ") + words;
  return text;
}

}  // namespace quarnel::ftdi
