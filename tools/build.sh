#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   tools/build.sh            normal build in build/: Release, the build users run
#   tools/build.sh sanitize   AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitize/
#   tools/build.sh fuzz       libFuzzer targets (clang) in build-fuzz/
#   tools/build.sh windows    32-bit Windows build (mingw-w64) in build-windows/; its tests
#                             run under Wine (tools/test-windows.sh)
# Every flavour treats compiler warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-normal}
jobs=${QUARNEL_JOBS:-$(nproc)}
case "$flavour" in
  normal)   dir=build;          args=(-DCMAKE_BUILD_TYPE=Release) ;;
  sanitize) dir=build-sanitize; args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARNEL_SANITIZE=ON
                                      -DQUARNEL_BUILD_BENCH=OFF) ;;
  fuzz)     dir=build-fuzz;     args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARNEL_FUZZ=ON
                                      -DQUARNEL_BUILD_TESTS=OFF -DQUARNEL_BUILD_BENCH=OFF
                                      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  windows)  dir=build-windows;  args=(-DCMAKE_BUILD_TYPE=Release
                                      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake) ;;
  *) echo "build: unknown flavour '$flavour' (normal, sanitize, fuzz or windows)" >&2; exit 2 ;;
esac

echo "== Building ($flavour) in $dir/"
cmake -S . -B "$dir" -G Ninja -DQUARNEL_WARNINGS_AS_ERRORS=ON "${args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
