#!/usr/bin/env bash
# Speed of a whole conversion by the Windows DMXRecaster.exe, which reaches the library
# through its COM server, beside the Linux DMXRecaster on the same show: the time of each,
# the events created and whether the saved sequences match (their own full names aside).
#
#   bench/recast_windows.sh [events]        default 20000 source events on 300 channels
#
# Needs both builds (tools/build.sh and tools/build.sh windows) and Wine
# (tools/setup-windows.sh). Works in a Wine prefix and folders of its own, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
events=${1:-20000}
if ! [[ $events =~ ^[0-9]+$ ]] || ((events < 1000 || events > 40000)); then
  echo "recast_windows: events 1000 to 40000 (each gives about 190 steps; a 32-bit program holds some 8 million)" >&2
  exit 2
fi
for file in build/bin/DMXRecaster build/bin/dlstool build-windows/bin/DMXRecaster.exe \
            build-windows/test-install/PatchInstaller.exe; do
  [[ -f $file ]] || { echo "recast_windows: $file is missing: build both first" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/recast_windows.XXXXXX")
prefix=$work/wineprefix
trap 'tools/wine.sh stop "$prefix"; rm -rf "$work"' EXIT

# A show of single-colour channels with every command mixed, 10 minutes long, events in
# time order per channel.
python3 - "$events" >"$work/show.json" <<'EOF'
import json, random, sys
events, channels, length = int(sys.argv[1]), 300, 10 * 60 * 88200
rnd = random.Random(7)
show = {"Title": "Bench", "Length": length, "Channels": [], "Events": []}
for c in range(channels):
    show["Channels"].append({"Network": 1, "Device": c // 16 + 1, "Channel": c % 16 + 1,
                             "Name": f"Lamp {c}", "DeviceType": 1, "Color": 255,
                             "Settings": {}})
per = events // channels
for c in range(channels):
    for k in range(per):
        show["Events"].append({"Network": 1, "Device": c // 16 + 1, "Channel": c % 16 + 1,
                               "SampleNumber": k * (length // per) + rnd.randrange(1000),
                               "Command": rnd.choice([33, 34, 36, 37, 38]),
                               "StartIntensity": rnd.randrange(1, 241),
                               "EndIntensity": rnd.randrange(1, 241),
                               "Setting0": rnd.choice([0, 1, 2, 4])})
json.dump(show, sys.stdout)
EOF
mkdir -p "$work/linux/program" "$work/windows/program" "$work/linux/ws" "$work/windows/ws"
cp build/bin/DMXRecaster build/bin/libQuarnelDataAPI3.so* "$work/linux/program/"
cp -r build-windows/test-install/. "$work/windows/program/"
rm -f "$work/windows/program/device_remap_nd.dat"
(cd "$work" && QUARNEL_WORKSPACE="$work/linux/ws" "$OLDPWD/build/bin/dlstool" create show.json Show.dls)
cp "$work/Show.dls" "$work/linux/"
cp "$work/Show.dls" "$work/windows/"
echo "A show of $events source events on 300 channels, 10 minutes long"

seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }'; }
start=$EPOCHREALTIME
(cd "$work/linux" && QUARNEL_WORKSPACE="$work/linux/ws" program/DMXRecaster Show.dls >out.txt)
linux=$(seconds_since "$start")

tools/wine.sh start "$prefix" 2>/dev/null
tools/wine.sh run "$prefix" "$work/windows/program/PatchInstaller.exe" </dev/null >"$work/install.txt" 2>&1
grep -q '^Registering Data API\.*Success' "$work/install.txt" ||
  { echo "recast_windows: PatchInstaller.exe did not register the library" >&2; cat "$work/install.txt" >&2; exit 1; }
start=$EPOCHREALTIME
(cd "$work/windows" && QUARNEL_WORKSPACE="Z:$work/windows/ws" \
  "$OLDPWD/tools/wine.sh" run "$prefix" "$work/windows/program/DMXRecaster.exe" Show.dls >out.txt)
windows=$(seconds_since "$start")

created=$(grep -o 'Done: [0-9]* events created' "$work/linux/out.txt" | grep -o '[0-9]*')
echo "  Linux DMXRecaster (the library called directly):  $linux s"
echo "  DMXRecaster.exe under Wine (through COM):          $windows s"
echo "  $created events created; the Windows program says: $(grep -o 'Done: [0-9]* events created' "$work/windows/out.txt")"
linux_size=$(stat -c %s "$work/linux/Show_DMX.dls")
windows_size=$(stat -c %s "$work/windows/Show_DMX.dls")
echo "  saved: $linux_size bytes (Linux), $windows_size bytes (Windows, whose saved full name is longer)"
