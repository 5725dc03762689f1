#!/usr/bin/env bash
# The Windows build writes the same bytes as the Linux build: each builds the same
# documents with dlstool, saves them (as sequence files and as backups), loads what the
# other saved, saves that again, and composes it; every file saved, every cache the
# library left in its workspace and every document printed must be alike, byte for byte.
# The files live in a folder whose name has a space and characters beyond ASCII.
#
#   tools/tests/compare-windows.sh LINUX_DLSTOOL WINDOWS_DLSTOOL WINE_PREFIX WORK_FOLDER
#
# Exit status 0 when everything matched, 1 otherwise (the differing files are named).
set -euo pipefail

(($# == 4)) || { echo "usage: $0 LINUX_DLSTOOL WINDOWS_DLSTOOL WINE_PREFIX WORK_FOLDER" >&2; exit 2; }
linux_tool=$(realpath -m "$1")
windows_tool=$(realpath -m "$2")
prefix=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
for tool in "$linux_tool" "$windows_tool"; do
  if [[ ! -f $tool ]]; then
    echo "compare-windows: $tool is missing: build both (tools/build.sh, tools/build.sh windows)" >&2
    exit 1
  fi
done
work=$(realpath -m "$4")/"Caf$(printf '\xc3\xa9') show"
rm -rf "$work"
mkdir -p "$work/linux/workspace" "$work/windows/workspace"

# The inputs: a show with code page 1252 text, and one of many events made here.
cp "$here/data/compare-show.json" "$work/show.json"
{
  printf '{"Title": "Gro\\u00dfe Show", "Length": 9000000, "Channels": [\n'
  printf '{"Network": 0, "Device": 0, "Channel": 0, "Name": "[Reserved Channel]"}'
  for c in $(seq 1 24); do
    printf ',\n{"Network": 0, "Device": 1, "Channel": %d, "Name": "Kanal %d \\u00e9"}' "$c" "$c"
  done
  printf '],\n"Events": ['
  sep=''
  for i in $(seq 0 1199); do
    c=$((i % 24 + 1))
    printf '%s\n{"Network": 0, "Device": 1, "Channel": %d, "SampleNumber": %d, "Command": %d, "StartIntensity": %d, "EndIntensity": %d}' \
      "$sep" "$c" $((i * 4410 + c * 7)) $((i % 3 == 0 ? 34 : 33)) $((i * 37 % 256)) $((i * 91 % 256))
    sep=','
  done
  printf ']}\n'
} >"$work/many.json"

# Each side works in its own folder with names relative to it, since a saved file holds
# the name it was saved under. Wine shows the build machine's root as drive Z:. Standard
# output of a Windows program ends its lines with CR LF; the JSON is compared without the CR.
run_linux() { (cd "$work/linux" && QUARNEL_WORKSPACE="$work/linux/workspace" "$linux_tool" "$@"); }
run_windows() {
  (cd "$work/windows" && QUARNEL_WORKSPACE="Z:$work/windows/workspace" LC_ALL=C.UTF-8 \
    "$here/../wine.sh" run "$prefix" "$windows_tool" "$@")
}

source "$here/same-files.sh"
same_workspace() {  # WHAT
  for cache in "$work"/linux/workspace/*; do
    same "workspace/$(basename "$cache")" "$1: workspace file $(basename "$cache")"
  done
}

for show in show many; do
  for side in linux windows; do cp "$work/$show.json" "$work/$side/$show.json"; done
  # Save, as a sequence file and as a backup.
  run_linux create "$show.json" "$show.dls"
  run_windows create "$show.json" "$show.dls"
  same "$show.dls" "$show: saved sequence file"
  run_linux create "$show.json" "$show.bak" --type bak
  run_windows create "$show.json" "$show.bak" --type bak
  same "$show.bak" "$show: saved backup"
  # Load: each side loads the file the other saved.
  cp "$work/windows/$show.dls" "$work/linux/$show-other.dls"
  cp "$work/linux/$show.dls" "$work/windows/$show-other.dls"
  run_linux dump "$show-other.dls" >"$work/linux/$show-loaded.json"
  run_windows dump "$show-other.dls" | tr -d '\r' >"$work/windows/$show-loaded.json"
  same "$show-loaded.json" "$show: loaded document"
  same_workspace "$show: after Load"
  # Save again what was loaded.
  run_linux create "$show-loaded.json" "$show-again.dls"
  run_windows create "$show-loaded.json" "$show-again.dls"
  same "$show-again.dls" "$show: sequence file saved again after Load"
  # Compose.
  run_linux compose "$show.dls" >"$work/linux/$show-composed.json"
  run_windows compose "$show.dls" | tr -d '\r' >"$work/windows/$show-composed.json"
  same "$show-composed.json" "$show: composed records"
  same_workspace "$show: after Compose"
done

if ((failures > 0)); then
  echo "$failures comparisons differ between the Linux and the Windows build" >&2
  exit 1
fi
echo "The Windows build wrote the same bytes as the Linux build."
