#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: first a normal build, then the same
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the fuzz targets for
# a bounded time, then the Windows build with its tests under Wine. Exits non-zero at the
# first failure.
set -euo pipefail
cd "$(dirname "$0")"

tools/setup.sh
jobs=${QUARNEL_JOBS:-$(nproc)}

tools/build.sh normal
echo "== Running tests (normal build)"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

tools/build.sh sanitize
echo "== Running tests (sanitizers)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs" --timeout 600

tools/build.sh fuzz
tools/run-fuzz.sh "${QUARNEL_FUZZ_SECONDS:-30}"

windows_started=$SECONDS
tools/setup-windows.sh
tools/build.sh windows
tools/test-windows.sh
echo "== The Windows stage took $((SECONDS - windows_started)) s"

echo "== All tests passed"
