#!/usr/bin/env bash
# Runs a script client under Wine's script host and passes only when the script ended
# with status 0 after printing "all checks passed": the host ends with 0 even when a
# script stops on an error, or does not parse, so the status alone proves nothing.
#   run-script.sh PREFIX SCRIPT [ARGUMENT...]   (paths of this machine)
set -uo pipefail
(($# >= 2)) || { echo "usage: run-script.sh PREFIX SCRIPT [ARGUMENT...]" >&2; exit 2; }
prefix=$1 script=$2
shift 2
wine_sh="$(dirname "$0")/../../../tools/wine.sh"
windows_path() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }
args=()
for a in "$@"; do
  mkdir -p "$a"
  args+=("$(windows_path "$a")")
done
output=$("$wine_sh" run "$prefix" cscript //nologo "$(windows_path "$script")" "${args[@]}" 2>&1)
status=$?
echo "$output"
[[ $status == 0 ]] || { echo "FAIL: the script ended with status $status"; exit 1; }
grep -q '^all checks passed' <<<"$output" || { echo "FAIL: the script did not finish"; exit 1; }
