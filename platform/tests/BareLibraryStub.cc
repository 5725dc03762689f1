// A library for tests of registration that has no registration entry points.
#include <cstdint>

extern "C" int32_t SomethingElse() { return 0; }
