#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   tools/build.sh            normal build in build/: Release, the build users run
#   tools/build.sh sanitize   AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitize/
#   tools/build.sh fuzz       libFuzzer targets (clang) in build-fuzz/
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
  *) echo "build: unknown flavour '$flavour' (normal, sanitize or fuzz)" >&2; exit 2 ;;
esac

echo "== Building ($flavour) in $dir/"
cmake -S . -B "$dir" -G Ninja -DQUARNEL_WARNINGS_AS_ERRORS=ON "${args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
