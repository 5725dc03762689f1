// The vendor's D2XX driver library, FTD2XX.DLL, loaded at run time by name, and the
// calls of it the D2XX layer makes. The library comes with the interface's driver and
// is never linked: a program starts without it and says why there is no output.
//
// The calls are declared here from what the layer relies on: every one returns a status
// (0 is success, D2xxTypes.h), uses the system's standard calling convention, and takes
// the library's own handle for an open device, a pointer-sized value. Windows builds only.
#pragma once

#include "platform/ftdi/D2xxTypes.h"

#include <memory>
#include <string>

#include <windows.h>

namespace quarnel::ftdi {

class D2xxLibrary {
 public:
  static constexpr const wchar_t* kFileName = L"FTD2XX.DLL";

  // The library's handle of an open device.
  using VendorHandle = void*;

  // Loads `file`: a bare name is looked for in the program's folder and the system's
  // folders (never the current folder), a path is taken as it is. Null when the file
  // cannot be loaded or lacks one of the calls; *error then says which, in words.
  static std::unique_ptr<D2xxLibrary> Load(const std::wstring& file, std::string* error);
  ~D2xxLibrary();
  D2xxLibrary(const D2xxLibrary&) = delete;
  D2xxLibrary& operator=(const D2xxLibrary&) = delete;

  // By the library's names. FT_ListDevices takes (address of the count, null) with
  // kFtListNumberOnly, and (the index as a value, a text buffer) with kFtListByIndex.
  FT_STATUS(WINAPI* FT_ListDevices)(void* arg1, void* arg2, DWORD flags) = nullptr;
  FT_STATUS(WINAPI* FT_Open)(int index, VendorHandle* handle) = nullptr;
  FT_STATUS(WINAPI* FT_Close)(VendorHandle handle) = nullptr;
  FT_STATUS(WINAPI* FT_ResetDevice)(VendorHandle handle) = nullptr;
  FT_STATUS(WINAPI* FT_SetDivisor)(VendorHandle handle, USHORT divisor) = nullptr;
  FT_STATUS(WINAPI* FT_SetDataCharacteristics)
  (VendorHandle handle, UCHAR word_length, UCHAR stop_bits, UCHAR parity) = nullptr;
  FT_STATUS(WINAPI* FT_SetFlowControl)
  (VendorHandle handle, USHORT flow, UCHAR xon, UCHAR xoff) = nullptr;
  FT_STATUS(WINAPI* FT_ClrRts)(VendorHandle handle) = nullptr;
  FT_STATUS(WINAPI* FT_Purge)(VendorHandle handle, ULONG mask) = nullptr;
  FT_STATUS(WINAPI* FT_SetBreakOn)(VendorHandle handle) = nullptr;
  FT_STATUS(WINAPI* FT_SetBreakOff)(VendorHandle handle) = nullptr;
  FT_STATUS(WINAPI* FT_Write)
  (VendorHandle handle, void* buffer, DWORD count, DWORD* written) = nullptr;

 private:
  explicit D2xxLibrary(HMODULE module) : module_(module) {}
  HMODULE module_;
};

// The library's status in words ("status 4, I/O error").
std::string D2xxStatusText(FT_STATUS status);

}  // namespace quarnel::ftdi
