// A component library for tests of registration: both entry points answer the code in
// QUARNEL_STUB_RESULT (0 when unset).
#include <cstdint>
#include <cstdlib>

namespace {
int32_t StubResult() {
  const char* value = std::getenv("QUARNEL_STUB_RESULT");
  return value ? static_cast<int32_t>(std::strtoll(value, nullptr, 0)) : 0;
}
}  // namespace

extern "C" int32_t DllRegisterServer() { return StubResult(); }
extern "C" int32_t DllUnregisterServer() { return StubResult(); }
