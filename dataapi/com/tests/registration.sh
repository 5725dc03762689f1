#!/usr/bin/env bash
# Registration of the in-process server under Wine, read back with Wine's reg tool.
#   registration.sh PREFIX DLL IDL register   regsvr32 /s: every class, ProgID, interface
#                                             and the type library are there; then /u takes
#                                             back every key it wrote (the classes read the
#                                             same as before, key for key); then registers
#                                             again for the client tests that follow
#   registration.sh PREFIX DLL IDL unregister regsvr32 /u /s, and nothing of it stays
# The identities come from the interface definition itself.
set -euo pipefail
(($# == 4)) || { echo "usage: registration.sh PREFIX DLL IDL register|unregister" >&2; exit 2; }
prefix=$1 dll=$2 idl=$3 action=$4
wine_sh="$(dirname "$0")/../../../tools/wine.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

wine() { "$wine_sh" run "$prefix" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# The keys the server writes, from the uuid() lines of the interface definition and the
# declaration that follows each.
keys=()
uuid=
while read -r line; do
  if [[ $line =~ uuid\(([0-9a-fA-F-]+)\) ]]; then
    uuid=${BASH_REMATCH[1]^^}
  elif [[ -n $uuid && $line =~ ^library\ ([A-Za-z0-9]+) ]]; then
    keys+=("HKCR\\TypeLib\\{$uuid}")
    uuid=
  elif [[ -n $uuid && $line =~ ^(dispinterface|interface)\ (_[A-Za-z_]+) ]]; then
    keys+=("HKCR\\Interface\\{$uuid}")
    uuid=
  elif [[ -n $uuid && $line =~ ^coclass\ ([A-Za-z]+) ]]; then
    keys+=("HKCR\\CLSID\\{$uuid}\\InprocServer32" "HKCR\\QuarnelDataAPI3.${BASH_REMATCH[1]}\\CLSID")
    uuid=
  elif [[ $line =~ ^typedef ]]; then
    uuid=
  fi
done <"$idl"
((${#keys[@]} == 1 + 12 + 14)) || fail "expected 27 keys from $idl, found ${#keys[@]}"

# Whether an export of the classes holds a key ("HKCR\\X" is "[HKEY_CLASSES_ROOT\\X]" there).
holds() { grep -qiF "[HKEY_CLASSES_ROOT${2#HKCR}]" "$work/$1-hkcr.reg"; }
# Exports the classes of the machine and of the user, as UTF-8 text.
export_classes() {
  wine reg export 'HKCR' "$(winepath_of "$work/$1-hkcr.utf16")" /y >/dev/null 2>&1 ||
    fail "reg export HKCR ended with $?"
  iconv -f UTF-16 -t UTF-8 "$work/$1-hkcr.utf16" | tr -d '\r' >"$work/$1-hkcr.reg"
  if wine reg export 'HKCU\Software\Classes' "$(winepath_of "$work/$1-hkcu.utf16")" /y \
    >/dev/null 2>&1; then
    iconv -f UTF-16 -t UTF-8 "$work/$1-hkcu.utf16" | tr -d '\r' >"$work/$1-hkcu.reg"
  else
    : >"$work/$1-hkcu.reg"
  fi
}
winepath_of() { echo "Z:${1//\//\\}"; }
expect_none() {
  export_classes "$1"
  for key in "${keys[@]}"; do
    ! holds "$1" "$key" || fail "$key is still registered"
  done
}

dll_path=$(winepath_of "$(realpath "$dll")")
case "$action" in
  register)
    # From a registry without the library (a run cut short may have left it registered).
    wine regsvr32 /u /s "$dll_path" || true
    export_classes before
    wine regsvr32 /s "$dll_path" || fail "regsvr32 /s ended with $?"
    export_classes registered
    for key in "${keys[@]}"; do holds registered "$key" || fail "$key is missing after regsvr32"; done
    (($(grep -c '^"ThreadingModel"="Apartment"' "$work/registered-hkcr.reg") >= 7)) ||
      fail "the classes are not all in the Apartment threading model"
    echo "registered: ${#keys[@]} keys present"
    wine regsvr32 /u /s "$dll_path" || fail "regsvr32 /u /s ended with $?"
    expect_none after
    cmp -s "$work/before-hkcr.reg" "$work/after-hkcr.reg" || fail "HKCR differs after regsvr32 /u"
    cmp -s "$work/before-hkcu.reg" "$work/after-hkcu.reg" ||
      fail "HKCU\\Software\\Classes differs after regsvr32 /u"
    echo "unregistered: the classes read as before"
    wine regsvr32 /s "$dll_path" || fail "regsvr32 /s (again) ended with $?"
    ;;
  unregister)
    wine regsvr32 /u /s "$dll_path" || fail "regsvr32 /u /s ended with $?"
    expect_none after
    echo "unregistered"
    ;;
  *) fail "unknown action $action" ;;
esac
