#!/usr/bin/env bash
# Checks a built Debian package; each check prints what it found and fails with status 1.
#   check-package.sh contents DEB LIST  its files, with owner, mode and link targets, are
#                                       exactly those of LIST (one "mode owner path" a line)
#   check-package.sh lintian DEB        lintian finds no error (everything it says is shown)
#   check-package.sh units DEB          systemd-analyze verify passes the service units
#                                       against the unpacked package
#   check-package.sh prepare DEB        the web service's start step writes ftdinets.dat
#                                       as the web server reads it
set -euo pipefail

what=$1
deb=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

unpacked() {
  dpkg-deb -x "$deb" "$work/root"
  echo "$work/root"
}

case "$what" in
  contents)
    list=$3
    # "mode owner /path", "-> target" after links; folders left out.
    dpkg-deb --contents "$deb" |
      awk '$1 !~ /^d/ { line = $1 " " $2 " " substr($6, 2); if ($7 == "->") line = line " -> " $8; print line }' |
      sort -k3 >"$work/actual"
    grep -v '^\s*\(#\|$\)' "$list" | sort -k3 >"$work/expected"
    if ! diff -u "$work/expected" "$work/actual" >"$work/diff"; then
      echo "The package's files differ from $list (- expected, + in the package):"
      tail -n +3 "$work/diff" | grep '^[-+]'
      exit 1
    fi
    echo "The package holds the $(wc -l <"$work/actual") files listed."
    ;;

  lintian)
    # Errors fail the check; warnings and notes are shown for people to weigh.
    if ! lintian --fail-on error --display-info "$deb" >"$work/said" 2>&1; then
      cat "$work/said"
      echo "lintian found errors in $deb"
      exit 1
    fi
    grep -v '^running with root privileges' "$work/said" || true
    echo "lintian: no errors."
    ;;

  units)
    root=$(unpacked)
    units=("$root"/usr/lib/systemd/system/*.service)
    # The system's own units (the targets ours start in) beside the package's.
    cp -rn /usr/lib/systemd/system/. "$root/usr/lib/systemd/system/"
    # A template is checked through an instance of it, named as its interface would be.
    for unit in "${units[@]}"; do
      if [[ $unit == *@.service ]]; then
        instance=${unit%@.service}@A6008abc.service
        cp "$unit" "$instance"
        units=("${units[@]/$unit/$instance}")
      fi
    done
    if ! systemd-analyze verify --root="$root" --man=no --generators=no "${units[@]}" \
      >"$work/said" 2>&1 || grep -q . "$work/said"; then
      cat "$work/said"
      echo "systemd-analyze verify found problems in the service units"
      exit 1
    fi
    echo "systemd-analyze verify: ${#units[@]} units, no problems."
    ;;

  prepare)
    root=$(unpacked)
    prepare=$root/usr/lib/quarnel/quarnel-webdiag-prepare
    zeros() { head -c "$1" /dev/zero; }
    # QUARNEL_DMX_SERIAL | the 16 bytes from byte 320 ("-": no file is written)
    cases=(
      "A6008abc|A6008abc"
      "ABCDEFGHIJKLMNOPQRS|ABCDEFGHIJKLMNOP"
      "|-"
    )
    failed=0
    for c in "${cases[@]}"; do
      serial=${c%%|*}
      field=${c#*|}
      rm -rf "$work/state" && mkdir "$work/state"
      STATE_DIRECTORY=$work/state QUARNEL_DMX_SERIAL=$serial "$prepare" >/dev/null 2>&1
      if [[ $field == - ]]; then
        [[ ! -e $work/state/ftdinets.dat ]] || { echo "'$serial': a file was written"; failed=1; }
        continue
      fi
      { zeros 319; printf '%s' "$field"; zeros $((16 - ${#field})); } >"$work/expected"
      if ! cmp -s "$work/expected" "$work/state/ftdinets.dat"; then
        echo "'$serial': ftdinets.dat is not 319 NULs, '$field' and NULs to byte 335"
        failed=1
      fi
    done
    ((failed == 0)) || exit 1
    echo "quarnel-webdiag-prepare writes ftdinets.dat as the web server reads it."
    ;;

  *)
    echo "check-package: unknown check '$what' (contents, lintian, units or prepare)" >&2
    exit 2
    ;;
esac
