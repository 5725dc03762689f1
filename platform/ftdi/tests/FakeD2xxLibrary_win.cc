// A stand-in for the vendor's D2XX driver library, built as a DLL, for the tests of the
// layer's Windows back end: the devices are set up by FakeD2xxSetUp, one call can be made
// to fail with a chosen status, and every call on a device is logged, one line each, for
// FakeD2xxLog to hand back.
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

namespace {

constexpr uintptr_t kFirstHandle = 0x5000;

struct Fake {
  std::vector<std::string> serials;
  std::string failing_call;
  ULONG failing_status = 0;
  std::string log;
};

Fake& State() {
  static Fake fake;
  return fake;
}

// The status `call` is to fail with, or 0.
ULONG Failure(const char* call) {
  return State().failing_call == call ? State().failing_status : 0;
}

// The serial number of the device an open handle stands for ("?" for a strange handle).
std::string SerialOf(void* handle) {
  const uintptr_t index = reinterpret_cast<uintptr_t>(handle) - kFirstHandle;
  return index < State().serials.size() ? State().serials[index] : "?";
}

ULONG Logged(const char* call, void* handle, std::initializer_list<unsigned> args) {
  std::string line = std::string(call) + " " + SerialOf(handle);
  for (unsigned a : args) line += " " + std::to_string(a);
  State().log += line + "\n";
  return Failure(call);
}

}  // namespace

extern "C" {

// The attached devices, by serial number, separated by commas; the call (by name) to
// fail and its status. Clears the log.
__declspec(dllexport) void WINAPI
    FakeD2xxSetUp(const char* serials, const char* failing_call, ULONG failing_status) {
  Fake& fake = State();
  fake = Fake{};
  std::stringstream list(serials);
  for (std::string s; std::getline(list, s, ',');) fake.serials.push_back(s);
  fake.failing_call = failing_call;
  fake.failing_status = failing_status;
}

// Copies the log into `buffer` (NUL-terminated, cut to fit); returns its whole length.
__declspec(dllexport) DWORD WINAPI FakeD2xxLog(char* buffer, DWORD size) {
  const std::string& log = State().log;
  if (size > 0) {
    const size_t n = log.size() < size - 1 ? log.size() : size - 1;
    std::memcpy(buffer, log.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<DWORD>(log.size());
}

__declspec(dllexport) ULONG WINAPI FT_ListDevices(void* arg1, void* arg2, DWORD flags) {
  if (ULONG status = Failure("FT_ListDevices")) return status;
  const std::vector<std::string>& serials = State().serials;
  if (flags == 0x80000000) {
    *static_cast<DWORD*>(arg1) = static_cast<DWORD>(serials.size());
    return 0;
  }
  const uintptr_t index = reinterpret_cast<uintptr_t>(arg1);
  if ((flags & 0x40000000) == 0 || index >= serials.size()) return 2;
  const std::string text = (flags & 0xff) == 1 ? serials[index] : "FAKE D2XX " + serials[index];
  std::strcpy(static_cast<char*>(arg2), text.c_str());
  return 0;
}

__declspec(dllexport) ULONG WINAPI FT_Open(int index, void** handle) {
  State().log += "FT_Open " + std::to_string(index) + "\n";
  if (ULONG status = Failure("FT_Open")) return status;
  if (index < 0 || static_cast<size_t>(index) >= State().serials.size()) return 2;
  *handle = reinterpret_cast<void*>(kFirstHandle + static_cast<uintptr_t>(index));
  return 0;
}

__declspec(dllexport) ULONG WINAPI FT_Close(void* h) { return Logged("FT_Close", h, {}); }
__declspec(dllexport) ULONG WINAPI FT_ResetDevice(void* h) {
  return Logged("FT_ResetDevice", h, {});
}
__declspec(dllexport) ULONG WINAPI FT_SetDivisor(void* h, USHORT divisor) {
  return Logged("FT_SetDivisor", h, {divisor});
}
__declspec(dllexport) ULONG WINAPI
    FT_SetDataCharacteristics(void* h, UCHAR bits, UCHAR stop, UCHAR parity) {
  return Logged("FT_SetDataCharacteristics", h, {bits, stop, parity});
}
__declspec(dllexport) ULONG WINAPI FT_SetFlowControl(void* h, USHORT flow, UCHAR xon, UCHAR xoff) {
  return Logged("FT_SetFlowControl", h, {flow, xon, xoff});
}
__declspec(dllexport) ULONG WINAPI FT_ClrRts(void* h) { return Logged("FT_ClrRts", h, {}); }
__declspec(dllexport) ULONG WINAPI FT_Purge(void* h, ULONG mask) {
  return Logged("FT_Purge", h, {static_cast<unsigned>(mask)});
}
__declspec(dllexport) ULONG WINAPI FT_SetBreakOn(void* h) { return Logged("FT_SetBreakOn", h, {}); }
__declspec(dllexport) ULONG WINAPI FT_SetBreakOff(void* h) {
  return Logged("FT_SetBreakOff", h, {});
}
// Logs the count and the first and last byte.
__declspec(dllexport) ULONG WINAPI FT_Write(void* h, void* buffer, DWORD count, DWORD* written) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  const ULONG status =
      Logged("FT_Write", h,
             {static_cast<unsigned>(count), count ? bytes[0] : 0u, count ? bytes[count - 1] : 0u});
  *written = status == 0 ? count : 0;
  return status;
}

}  // extern "C"
