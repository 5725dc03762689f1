#!/usr/bin/env bash
# Runs the tests of the Windows build (tools/build.sh windows) under Wine: in a fresh Wine
# prefix inside build-windows/, with one wineserver kept running for the whole run (each
# test program then starts in a twentieth of a second) and stopped at the end, whatever
# happens. The comparison with the Linux build needs build/ (tools/build.sh) too.
#   tools/test-windows.sh [CTEST ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${QUARNEL_JOBS:-$(nproc)}
prefix=build-windows/wineprefix
if [[ ! -f build-windows/CTestTestfile.cmake ]]; then
  echo "test-windows: build-windows/ has no tests: run tools/build.sh windows first" >&2
  exit 1
fi

echo "== Making a fresh Wine prefix in $prefix"
tools/wine.sh stop "$prefix"
rm -rf "$prefix" "$prefix.lock"
started=$SECONDS
tools/wine.sh prefix "$prefix"
echo "   made in $((SECONDS - started)) s"
tools/wine.sh start "$prefix"
trap 'tools/wine.sh stop "$prefix"' EXIT

echo "== Running tests (Windows build, under Wine)"
ctest --test-dir build-windows --output-on-failure -j "$jobs" --timeout 300 "$@"
