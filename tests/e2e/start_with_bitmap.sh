#!/usr/bin/env bash
# End to end: the real program in a real X server, started with a bitmap. The window must
# appear with its title and the map area of a screenshot must show the scan's line work.
# usage: start_with_bitmap.sh PENWRIGHT MAKE_SAMPLE
set -euo pipefail
program=$1
make_sample=$2
work=$(mktemp -d)
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

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
# The map area lies between the tool bar and the info bar; sample its middle band until
# the scan shows (a busy machine may take a while to open and paint it). Line art on white
# is bright on average with dark lines; a blank or black area has no spread.
for _ in $(seq 40); do
  sleep 0.5
  import -window root "$work/shot.png"
  stats=$(convert "$work/shot.png" -crop 900x500+190+150 +repage -colorspace Gray \
          -format '%[fx:mean] %[fx:standard_deviation]' info:)
  mean=${stats% *}
  spread=${stats#* }
  if awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m > 0.5 && s > 0.08) }'; then
    echo "map area: mean $mean, spread $spread"
    echo "1 passed, 0 failed"
    exit 0
  fi
done
echo "FAIL: the map area does not show the scan (mean $mean, spread $spread)"
cp "$work/shot.png" /tmp/penwright-e2e-failure.png
exit 1
