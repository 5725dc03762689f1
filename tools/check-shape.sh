#!/usr/bin/env bash
# Checks of the tree's shape that anyone can run (ctest runs them as check_shape):
#   - the message loop knows nothing of the windows: nothing in platform/loop/ includes
#     platform/window/ (the windows include the loop, never the other way round);
#   - the socket object does not use the recordset: nothing in net/ names it, in code or
#     in its CMakeLists.txt;
#   - the DMX datagram ports and sizes are written in dmxserver/DatagramFormat.h only:
#     no other program or tool source writes 15005, 15006, 513 or (in the programs that
#     send or read datagrams) 28 as a number. Tests, harnesses and benchmarks may.
# Prints each finding and exits 1 when there is any; prints "shape: ok" otherwise.
set -uo pipefail
cd "$(dirname "$0")/.."

failed=0
finding() {
  echo "shape: $1" >&2
  failed=1
}

# Source lines of programs and tools, comment lines left out.
code_lines() {
  grep -rnwE "$1" "${@:2}" --include='*.cc' --include='*.h' \
    | grep -vE '/(tests|harness)/' \
    | grep -vE '^[^:]+:[0-9]+:[[:space:]]*//'
}

if hits=$(grep -rn '#include "platform/window/' platform/loop); then
  finding "platform/loop includes platform/window:"$'\n'"$hits"
fi

if hits=$(grep -rnw 'recordset' net --include='*.cc' --include='*.h' --include='CMakeLists.txt' \
            | grep -v '/tests/'); then
  finding "net/ uses the recordset:"$'\n'"$hits"
fi

header=dmxserver/DatagramFormat.h
if hits=$(code_lines '15005|15006|513' platform net dmxserver webdiag tools converter installer \
            dataapi | grep -v "^$header:"); then
  finding "a datagram port or frame size outside $header:"$'\n'"$hits"
fi
if hits=$(code_lines '28' dmxserver webdiag tools/dmxsend | grep -v "^$header:"); then
  finding "the shut-down size outside $header:"$'\n'"$hits"
fi

if [[ $failed -eq 0 ]]; then
  echo "shape: ok"
fi
exit $failed
