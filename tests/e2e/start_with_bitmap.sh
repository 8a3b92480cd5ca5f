#!/usr/bin/env bash
# End to end: the real program in a real X server, started with a bitmap. The window must
# appear with its title and the map area of a screenshot must show the scan's line work.
# usage: start_with_bitmap.sh PENWRIGHT MAKE_SAMPLE
set -euo pipefail
program=$1
make_sample=$2
source "$(dirname "$0")/session.sh"
start_xvfb

"$make_sample" "$work/scan.bmp" 1200 900 7
start_program "$work/scan.bmp"
# The map area lies between the tool bar and the info bar; sample its middle band until
# the scan shows (a busy machine may take a while to open and paint it). Line art on white
# is bright on average with dark lines; a blank or black area has no spread.
for _ in $(seq 40); do
  sleep 0.5
  shoot
  stats=$(grey_stats 900x500+190+150)
  mean=${stats% *}
  spread=${stats#* }
  if awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m > 0.5 && s > 0.08) }'; then
    echo "map area: mean $mean, spread $spread"
    echo "1 passed, 0 failed"
    exit 0
  fi
done
fail "the map area does not show the scan (mean $mean, spread $spread)"
