#!/usr/bin/env bash
# The timing benchmarks of the Windows build under Wine: bench_loop_timer.exe (the message
# loop's 26 ms timer) and bench_dmx_server.exe (QuarnelOpenDMX.exe on a simulated
# interface, alone and under a flood), with the server's CPU as this machine counts it
# (Wine reports no times for another process to the benchmark).
#
#   bench/timing_windows.sh [seconds per run]     default 30, at most 120
#
# Needs tools/build.sh windows and Wine (tools/setup-windows.sh), and root: like the tests,
# it runs in a network of its own (loopback carrying 192.0.2.10, host name "localhost"),
# with a Wine prefix of its own that is removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds < 1 || seconds > 120)); then
  echo "timing_windows: seconds per run, 1 to 120" >&2
  exit 2
fi

if [[ ${2:-} != --inside-own-network ]]; then
  for file in build-windows/bin/bench_loop_timer.exe build-windows/bin/bench_dmx_server.exe; do
    [[ -f $file ]] || { echo "timing_windows: $file is missing: run tools/build.sh windows" >&2; exit 1; }
  done
  unshare --net --uts true 2>/dev/null ||
    { echo "timing_windows: cannot make a network of its own (run it as root)" >&2; exit 1; }
  exec unshare --net --uts "$0" "$seconds" --inside-own-network
fi

ip link set lo up
ip addr add 192.0.2.10/24 dev lo
hostname localhost
work=$(mktemp -d "${TMPDIR:-/tmp}/timing_windows.XXXXXX")
prefix=$work/wineprefix
trap 'tools/wine.sh stop "$prefix"; rm -rf "$work"' EXIT
tools/wine.sh start "$prefix" 2>/dev/null

echo "== bench_loop_timer.exe $seconds under Wine"
tools/wine.sh run "$prefix" build-windows/bin/bench_loop_timer.exe "$seconds"

# The server's CPU ticks (utime + stime) of every copy seen, sampled twice a second: the
# last sample of each copy is its total, near enough.
cpu_of_servers() {
  while sleep 0.5; do
    for pid in $(pgrep -f 'QuarnelOpenDMX\.exe' || true); do
      [[ -r /proc/$pid/stat ]] || continue
      echo "$pid $(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null)" >>"$work/cpu"
    done
  done
}
cpu_of_servers &
sampler=$!
echo "== bench_dmx_server.exe $seconds under Wine"
tools/wine.sh run "$prefix" build-windows/bin/bench_dmx_server.exe "$seconds"
kill "$sampler" 2>/dev/null || true
wait "$sampler" 2>/dev/null || true
hz=$(getconf CLK_TCK)
if [[ -s $work/cpu ]]; then
  echo "Server CPU as Linux counts it, each run in turn (of $((seconds + 2)) s or so):"
  awk -v hz="$hz" '!($1 in last) { order[n++] = $1 } { last[$1] = $2 }
    END { for (i = 0; i < n; i++) printf "  %.2f s\n", last[order[i]] / hz }' "$work/cpu"
fi
