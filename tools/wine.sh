#!/usr/bin/env bash
# Runs programs of the Windows build under Wine, in a Wine prefix of the build's own.
#   tools/wine.sh prefix PREFIX               makes the prefix when it is missing
#   tools/wine.sh start PREFIX                starts a wineserver that stays until stopped,
#                                             so each program starts in a twentieth of a second
#   tools/wine.sh stop PREFIX                 stops it
#   tools/wine.sh run PREFIX PROGRAM [ARG...] runs one program (making the prefix first when
#                                             it is missing) and passes on its exit status
# The prefix is headless: Wine's null graphics driver, no crash dialog, no display needed.
set -euo pipefail

usage() {
  echo "usage: tools/wine.sh prefix|start|stop PREFIX, or tools/wine.sh run PREFIX PROGRAM [ARG...]" >&2
  exit 2
}
(($# >= 2)) || usage
command=$1
export WINEPREFIX=$(realpath -m "$2")
shift 2
export WINEDEBUG=${WINEDEBUG:--all}
unset DISPLAY WAYLAND_DISPLAY

for tool in wine wineserver; do
  if ! command -v "$tool" >/dev/null; then
    echo "wine.sh: $tool is missing: run tools/setup-windows.sh" >&2
    exit 1
  fi
done

# Wine links the user's desktop, documents and the like to this machine's home; in the
# build's prefix they are folders of its own, so that what a test puts on the desktop or
# in the documents stays inside the prefix.
own_user_folders() {
  local folder
  for folder in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
    if [[ -L $folder ]]; then
      rm -f "$folder" 2>/dev/null || true
      mkdir -p "$folder"
    fi
  done
}

make_prefix() {
  if [[ -f $WINEPREFIX/.quarnel-ready ]]; then
    own_user_folders
    return
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # One test making the prefix at a time; the others wait for it.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [[ ! -f $WINEPREFIX/.quarnel-ready ]]; then
    echo "wine.sh: making the Wine prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    # No Mono or Gecko: nothing here needs .NET or a browser engine.
    WINEDLLOVERRIDES="mscoree=;mshtml=" wine wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1
    # No menu entries on this machine for the shell links that tests make: Wine's menu
    # builder would write them outside the prefix, and the program saving a link waits for it.
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f \
      >/dev/null 2>&1
    # Until the server ends, the registry is not on the disk.
    timeout 120 wineserver -w || true
    own_user_folders
    touch "$WINEPREFIX/.quarnel-ready"
  fi
  flock -u 9
  exec 9>&-
}

case "$command" in
  prefix) make_prefix ;;
  start)
    make_prefix
    # The server and the services that the first program starts stay on after it: they get
    # none of the caller's output streams, so nothing waits on them to close.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1
    ;;
  stop) wineserver -k 2>/dev/null || true ;;
  run)
    (($# >= 1)) || usage
    make_prefix
    exec wine "$@"
    ;;
  *) usage ;;
esac
