#!/usr/bin/env bash
# Runs every fuzz target of build-fuzz/ for a bounded time, seeded from fuzz/corpus/<target>.
#   tools/run-fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shopt -s nullglob
targets=(build-fuzz/bin/fuzz_*)
if ((${#targets[@]} == 0)); then
  echo "No fuzz targets built."
  exit 0
fi
# What a fuzzer finds (crashes, slow or leaking inputs) is kept in build-fuzz/findings/.
findings=build-fuzz/findings
mkdir -p "$findings"
for t in "${targets[@]}"; do
  name=$(basename "$t")
  work=$(mktemp -d)
  seeds=()
  [[ -d fuzz/corpus/$name ]] && seeds+=("fuzz/corpus/$name")
  echo "== Fuzzing $name for ${seconds}s"
  "$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
       -artifact_prefix="$findings/$name-" \
       "$work" "${seeds[@]}" 2>&1 | tail -n 12
  rm -rf "$work"
done
