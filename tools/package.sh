#!/usr/bin/env bash
# Builds the Debian package of the normal build: build/package/quarnel-dmx_<version>_<arch>.deb.
#   tools/package.sh            the normal build (tools/build.sh), then the package
#   tools/package.sh --check    the same, then its checks: its files against the list,
#                               lintian, the service units (as the package tests do)
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case "${1:-}" in
  "") ;;
  --check) check=true ;;
  *) echo "package: unknown option '$1' (--check or nothing)" >&2; exit 2 ;;
esac

tools/build.sh normal
echo "== Packaging build/"
(cd build && cpack --config CPackConfig.cmake >/dev/null)
deb=$(ls -t build/package/*.deb | head -n 1)
echo "Built $deb ($(du -k "$deb" | cut -f1) kB)"
dpkg-deb --field "$deb" Depends | sed 's/^/Depends: /'

if $check; then
  for what in contents lintian units prepare; do
    installer/package/check-package.sh "$what" "$deb" installer/package/contents.txt
  done
  echo "== The package passed its checks"
fi
