// A component library for tests of registration: both entry points answer the code in
// QUARNEL_STUB_RESULT (0 when unset).
#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
int32_t StubResult() {
#ifdef _WIN32
  // The process's environment itself: the C runtime's copy is the one taken at start.
  char value[64];
  const DWORD n = GetEnvironmentVariableA("QUARNEL_STUB_RESULT", value, sizeof value);
  if (n == 0 || n >= sizeof value) return 0;
#else
  const char* value = std::getenv("QUARNEL_STUB_RESULT");
  if (value == nullptr) return 0;
#endif
  return static_cast<int32_t>(std::strtoll(value, nullptr, 0));
}
}  // namespace

extern "C" int32_t DllRegisterServer() { return StubResult(); }
extern "C" int32_t DllUnregisterServer() { return StubResult(); }
