#!/usr/bin/env bash
# End to end: the real program in a real X server, started with a bitmap. The window must
# appear with its title and the map area of a screenshot must show the scan's line work.
# usage: start_with_bitmap.sh PENWRIGHT MAKE_SAMPLE
set -euo pipefail
program=$1
make_sample=$2
work=$(mktemp -d)
display=""
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$make_sample" "$work/scan.bmp" 1200 900 7
unset QT_QPA_PLATFORM
"$program" "$work/scan.bmp" >"$work/app.log" 2>&1 &
app_pid=$!

window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Penwright$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: no window titled Penwright"; cat "$work/app.log"; exit 1; }
sleep 1.5 # let it open the file and paint

import -window root "$work/shot.png"
# The map area lies between the tool bar and the info bar; sample its middle band.
stats=$(convert "$work/shot.png" -crop 900x500+190+150 +repage -colorspace Gray \
        -format '%[fx:mean] %[fx:standard_deviation]' info:)
mean=${stats% *}
spread=${stats#* }
echo "map area: mean $mean, spread $spread"
# Line art on white: bright on average, with dark lines (a blank or black area has no spread).
if awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m > 0.5 && s > 0.08) }'; then
  echo "1 passed, 0 failed"
else
  echo "FAIL: the map area does not show the scan"
  cp "$work/shot.png" /tmp/penwright-e2e-failure.png
  exit 1
fi
