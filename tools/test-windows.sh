#!/usr/bin/env bash
# Runs the tests of the Windows build (tools/build.sh windows) under Wine: in a fresh Wine
# prefix inside build-windows/, with one wineserver kept running for the whole run (each
# test program then starts in a twentieth of a second) and stopped at the end, whatever
# happens. The comparison with the Linux build needs build/ (tools/build.sh) too.
#
# The tests run in a network of their own, as the Linux tests do (platform/sockets/tests/
# PrivateNetwork.h): a network namespace whose only interface is the loopback interface,
# carrying 192.0.2.10 as well, with "localhost" for a host name. Wine's server makes the
# programs' sockets, so it starts inside too. Without the right to make one (not root),
# the tests that need it skip.
#   tools/test-windows.sh [CTEST ARGUMENTS...]
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${QUARNEL_JOBS:-$(nproc)}
prefix=build-windows/wineprefix

run_tests() {
  tools/wine.sh start "$prefix"
  trap 'tools/wine.sh stop "$prefix"' EXIT
  echo "== Running tests (Windows build, under Wine)"
  ctest --test-dir build-windows --output-on-failure -j "$jobs" --timeout 300 "$@"
}

if [[ ${1:-} == --inside-own-network ]]; then
  shift
  ip link set lo up
  ip addr add 192.0.2.10/24 dev lo
  hostname localhost
  run_tests "$@"
  exit
fi

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

if unshare --net --uts true 2>/dev/null; then
  exec unshare --net --uts "$0" --inside-own-network "$@"
fi
echo "   no network of its own (unshare refused): the tests that need one skip"
run_tests "$@"
