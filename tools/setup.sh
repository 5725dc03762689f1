#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Run as root on Debian 12; packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  clang libclang-rt-14-dev            # fuzz targets (libFuzzer)
  libgtest-dev libgmock-dev           # unit tests
  libbenchmark-dev                    # benchmark programs
  libftdi1-dev                        # Open DMX USB interfaces
  nlohmann-json3-dev libcli11-dev     # tools: JSON output, command lines
  procps iproute2 python3             # test helpers
  chromium chromium-driver            # the diagnostics page in a real browser (tests)
  desktop-file-utils                  # checks the installer's shortcut files (tests)
  dpkg-dev file lintian               # the Debian package: dependencies, checks (tests)
  systemd                             # checks the service units (systemd-analyze; tests)
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "All build packages are installed."
fi
