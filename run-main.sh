#!/usr/bin/env bash
# Sets everything up, builds, installs into out/, and runs the DMX output stack.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
tools/build.sh normal
cmake --install build --prefix out >/dev/null
echo "Installed into $(pwd)/out. The programs are being built issue by issue; nothing to run yet."
