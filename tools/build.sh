#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   tools/build.sh            normal build in build/
#   tools/build.sh sanitize   AddressSanitizer + UndefinedBehaviorSanitizer in build-sanitize/
#   tools/build.sh fuzz       libFuzzer targets (clang) in build-fuzz/
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-normal}
jobs=${QUARNEL_JOBS:-$(nproc)}
case "$flavour" in
  normal)   dir=build;          args=() ;;
  sanitize) dir=build-sanitize; args=(-DQUARNEL_SANITIZE=ON -DQUARNEL_BUILD_BENCH=OFF) ;;
  fuzz)     dir=build-fuzz;     args=(-DQUARNEL_FUZZ=ON -DQUARNEL_BUILD_TESTS=OFF
                                      -DQUARNEL_BUILD_BENCH=OFF
                                      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
  *) echo "build: unknown flavour '$flavour' (normal, sanitize or fuzz)" >&2; exit 2 ;;
esac

echo "== Building ($flavour) in $dir/"
cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"
