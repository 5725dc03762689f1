#!/usr/bin/env bash
# The Windows converter writes the same bytes as the Linux converter: a show with every
# kind of channel and effect (and code page 1252 names) is made once with the Linux
# dlstool, and each build's DMXRecaster converts its own copy with the same options. The
# converted sequence NAME_DMX.dls, its report NAME_DMX.txt and the device remap table
# each converter keeps beside itself must be alike, byte for byte.
#
# On Windows this is the whole way a user goes: the installed folder, DMXRecaster.exe
# asking for the installer while the library is not registered, PatchInstaller.exe run
# there registering it, and DMXRecaster.exe converting through the library's COM server.
# The registration is taken back at the end.
#
#   converter/tests/compare-windows.sh LINUX_BIN WINDOWS_INSTALL WINE_PREFIX WORK_FOLDER
#
# LINUX_BIN is the Linux build's program folder (DMXRecaster, dlstool and the library);
# WINDOWS_INSTALL the folder that cmake --install gave for the Windows build.
# Exit status 0 when everything matched, 1 otherwise (the differing files are named).
set -euo pipefail

(($# == 4)) || { echo "usage: $0 LINUX_BIN WINDOWS_INSTALL WINE_PREFIX WORK_FOLDER" >&2; exit 2; }
linux_bin=$(realpath -m "$1")
windows_install=$(realpath -m "$2")
prefix=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
wine_sh="$here/../../tools/wine.sh"
for program in "$linux_bin/DMXRecaster" "$linux_bin/dlstool" \
               "$windows_install/DMXRecaster.exe" "$windows_install/PatchInstaller.exe"; do
  if [[ ! -f $program ]]; then
    echo "compare-windows: $program is missing: build both (tools/build.sh, tools/build.sh windows)" >&2
    exit 1
  fi
done
work=$(realpath -m "$4")/"Caf$(printf '\xc3\xa9') recast"
rm -rf "$work"

# Each converter runs from a folder of its own, so that the remap table it keeps beside
# itself is its own; the Linux one finds its library beside it.
for side in linux windows; do mkdir -p "$work/$side/program" "$work/$side/workspace"; done
cp "$linux_bin/DMXRecaster" "$linux_bin"/libQuarnelDataAPI3.so* "$work/linux/program/"
cp -r "$windows_install/." "$work/windows/program/"
rm -f "$work/windows/program/device_remap_nd.dat"

# One show for both, saved under the same relative name (a saved file holds its name).
cp "$here/data/recast-show.json" "$work/show.json"
(cd "$work" && QUARNEL_WORKSPACE="$work/linux/workspace" "$linux_bin/dlstool" create show.json Show.dls)
for side in linux windows; do cp "$work/Show.dls" "$work/$side/Show.dls"; done

options=(--ramp-resolution 52 --twinkle-density 40 --twinkle-rate 78 --shimmer-duration 26
         --shimmer-rate 104 --seed 4242 Show.dls)
(cd "$work/linux" && QUARNEL_WORKSPACE="$work/linux/workspace" \
  program/DMXRecaster "${options[@]}" >"$work/linux/out.txt")
# Wine shows the build machine's root as drive Z:.
windows_dll="Z:$(printf '%s' "$work/windows/program/QuarnelDataAPI3.dll" | tr / '\\')"
# Before the installer has run, the converter says what to do and converts nothing.
status=0
(cd "$work/windows" && QUARNEL_WORKSPACE="Z:$work/windows/workspace" \
  "$wine_sh" run "$prefix" "$work/windows/program/DMXRecaster.exe" Show.dls \
  >"$work/windows/unregistered.txt" 2>&1) || status=$?
if ((status != 1)) ||
   ! grep -q 'the data library is not registered: run PatchInstaller.exe' "$work/windows/unregistered.txt" ||
   [[ -e $work/windows/Show_DMX.dls ]]; then
  echo "compare-windows: without registration DMXRecaster.exe ended with $status and said:" >&2
  cat "$work/windows/unregistered.txt" >&2
  exit 1
fi
trap '"$wine_sh" run "$prefix" regsvr32 /u /s "$windows_dll" >/dev/null 2>&1 || true' EXIT
"$wine_sh" run "$prefix" "$work/windows/program/PatchInstaller.exe" </dev/null \
  >"$work/windows/install.txt" 2>&1
if ! grep -q '^Registering Data API\.*Success' "$work/windows/install.txt"; then
  echo "compare-windows: PatchInstaller.exe did not register the data library:" >&2
  cat "$work/windows/install.txt" >&2
  exit 1
fi
(cd "$work/windows" && QUARNEL_WORKSPACE="Z:$work/windows/workspace" LC_ALL=C.UTF-8 \
  "$wine_sh" run "$prefix" "$work/windows/program/DMXRecaster.exe" \
  "${options[@]}" >"$work/windows/out.txt")

# A converted sequence holds the full name it was saved under, which differs between the
# systems by nature (Z:\...\windows\ against /.../linux/). The Windows file's name, with
# the length before it, is put back as the Linux name before comparing; every other byte
# must match. Names are stored in code page 1252.
name_of() {  # SIDE: the converted sequence's full name as that side saved it
  if [[ $1 == linux ]]; then
    printf '%s' "$work/linux/Show_DMX.dls"
  else
    printf 'Z:%s' "$work/windows/Show_DMX.dls" | tr / '\\'
  fi | iconv -f UTF-8 -t CP1252
}
LINUX_NAME=$(name_of linux) WINDOWS_NAME=$(name_of windows) perl -0777 -pe '
  BEGIN { binmode STDIN; binmode STDOUT; }
  my ($w, $l) = ($ENV{WINDOWS_NAME}, $ENV{LINUX_NAME});
  my $count = s/\Q${\ pack("N", length $w)}\E(...)\Q$w\E/pack("N", length $l) . $1 . $l/gse;
  die "compare-windows: the Windows name is not in the converted sequence\n" unless $count == 1;
' <"$work/windows/Show_DMX.dls" >"$work/windows/Show_DMX.linux-name.dls" ||
  cp "$work/windows/Show_DMX.dls" "$work/windows/Show_DMX.linux-name.dls"
cp "$work/linux/Show_DMX.dls" "$work/linux/Show_DMX.linux-name.dls"

source "$here/../../tools/tests/same-files.sh"
same Show_DMX.linux-name.dls "the converted sequence (its own full name aside)"
same Show_DMX.txt "the device report"
same program/device_remap_nd.dat "the device remap table"

if ((failures > 0)); then
  echo "$failures files differ between the Linux and the Windows converter" >&2
  exit 1
fi
echo "The Windows converter wrote the same bytes as the Linux converter."
