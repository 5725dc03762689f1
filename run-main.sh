#!/usr/bin/env bash
# Sets everything up, builds, installs into out/, and runs the web diagnostics server,
# which starts the DMX output server for the interface named in out/ftdinets.dat and
# prints the address of the page that lights one channel at a time. With no Open DMX USB
# interface attached both run on a simulated one, whose output goes to
# out/dmx-capture.txt.
#   ./run-main.sh [PORT]      the web server's port (default: 80 for root when free, else 8080...)
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
tools/build.sh normal
cmake --install build --prefix out >/dev/null
echo "Installed into $(pwd)/out."

# An FTDI converter of the kinds the server drives (vendor 0403; 6001, 6010, 6014)?
hardware=""
serial=""
for dev in /sys/bus/usb/devices/*; do
  [[ -r $dev/idVendor && -r $dev/idProduct ]] || continue
  if [[ $(<"$dev/idVendor") == 0403 && $(<"$dev/idProduct") =~ ^(6001|6010|6014)$ ]]; then
    hardware=${dev##*/}
    serial=$( [[ -r $dev/serial ]] && cat "$dev/serial" || true )
  fi
done

if [[ -n $hardware ]]; then
  echo "An FTDI USB serial converter is attached (USB $hardware, serial ${serial:-unknown}): sending DMX to it."
  echo "If it cannot be opened, see \"Attaching real hardware\" in README.md."
else
  serial=SIM00001
  export QUARNEL_FTDI=sim:$serial
  export QUARNEL_FTDI_CAPTURE=$(pwd)/out/dmx-capture.txt
  : >"$QUARNEL_FTDI_CAPTURE"
  echo "No Open DMX USB interface is attached: running on a simulated one (serial $serial)."
  echo "Every call it gets is written to $QUARNEL_FTDI_CAPTURE"
  echo "  (follow it with: tail -f out/dmx-capture.txt | cut -c1-100)"
fi

# ftdinets.dat names the interface for the web server: the serial number in the 16 bytes
# from byte 320, padded with NULs. (The product's own tools write this file; out/ is ours.)
serial=${serial:0:16}
{
  head -c 319 /dev/zero
  printf '%s' "$serial"
  head -c $((16 - ${#serial})) /dev/zero
} >out/ftdinets.dat

# A DMX output server left running by an earlier run holds the UDP ports; it ends on the
# shut-down datagram, so that the new one starts on this interface.
out/dmxsend shutdown >/dev/null 2>&1 || true
sleep 0.3

# A port the web server can bind.
port_free() { ! ss -Hltn "sport = :$1" 2>/dev/null | grep -q .; }
port=${1:-}
if [[ -z $port ]]; then
  candidates=(8080 8081 8000 8888)
  [[ $(id -u) -eq 0 ]] && candidates=(80 "${candidates[@]}")
  for p in "${candidates[@]}"; do
    if port_free "$p"; then port=$p; break; fi
  done
  port=${port:-0}
fi
# The web server chooses the machine's network address itself and prints the page's
# address in its window.
cat <<TEXT

Open the address the web server prints below in a browser on this machine, or on a
phone on the same network, and pick a channel: it lights at full through the DMX
output server.
  Ctrl-C stops the web server; the DMX output server keeps running (a channel under
  test stays lit). Stop it with: out/dmxsend shutdown

TEXT
exec out/QuarnelWebDiagnostics "$port"
