#!/usr/bin/env bash
# Sets everything up, builds, installs into out/, and runs the DMX output server.
# With no Open DMX USB interface attached it runs on a simulated one and writes what it
# sends into out/dmx-capture.txt.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
tools/build.sh normal
cmake --install build --prefix out >/dev/null
echo "Installed into $(pwd)/out."

if [[ ! -x out/QuarnelOpenDMX ]]; then
  echo "The DMX output server is not built yet (it needs the socket object); nothing to run."
  exit 0
fi

# An FTDI converter of the kinds the server drives (vendor 0403; 6001, 6010, 6014)?
hardware=""
for dev in /sys/bus/usb/devices/*; do
  [[ -r $dev/idVendor && -r $dev/idProduct ]] || continue
  if [[ $(<"$dev/idVendor") == 0403 && $(<"$dev/idProduct") =~ ^(6001|6010|6014)$ ]]; then
    hardware=${dev##*/}
  fi
done

if [[ -n $hardware ]]; then
  echo "An FTDI USB serial converter is attached (USB $hardware): sending DMX to it."
  echo "If it cannot be opened, see \"Attaching real hardware\" in README.md."
  args=("$@")
else
  export QUARNEL_FTDI=sim:SIM00001
  export QUARNEL_FTDI_CAPTURE=$(pwd)/out/dmx-capture.txt
  : >"$QUARNEL_FTDI_CAPTURE"
  echo "No Open DMX USB interface is attached: running on a simulated one (serial SIM00001)."
  echo "Every call it gets is written to $QUARNEL_FTDI_CAPTURE"
  echo "  (follow it with: tail -f out/dmx-capture.txt | cut -c1-100)"
  args=(SIM00001)
fi
cat <<'TEXT'

Send it frames from another terminal:
  out/dmxsend frame 1=255 2=128 10-20=64      one frame (channels not named are 0)
  out/dmxsend stream --rate 40 --seconds 30 --chase
  out/dmxsend test 5                           channel 5 at full; "test 0" ends it
  out/dmxsend shutdown                         stops the server (so do Ctrl-C and SIGTERM)

TEXT
exec out/QuarnelOpenDMX "${args[@]}"
