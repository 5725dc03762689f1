#!/usr/bin/env bash
# Installs the Debian packages that the Windows build needs on top of tools/setup.sh's:
# the 32-bit mingw-w64 cross compiler, and Wine (32-bit, with widl) to run the Windows
# tests. Run as root on Debian 12; packages already present are left alone.
# Kept apart from tools/setup.sh because it adds the i386 architecture and about 3 GB.
set -euo pipefail

packages=(
  g++-mingw-w64-i686                  # the 32-bit cross compiler (posix thread model)
  googletest                          # GoogleTest sources, built by the cross build
  wine wine32:i386                    # runs the Windows tests
  wine64-tools                        # widl: interface definitions for the COM server
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup-windows: the i386 architecture is missing and adding it needs root" >&2
    exit 1
  fi
  echo "Adding the i386 architecture (for 32-bit Wine)"
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup-windows: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
elif [[ ${need_update:-0} == 1 ]]; then
  apt-get update -q
else
  echo "All Windows build packages are installed."
fi
