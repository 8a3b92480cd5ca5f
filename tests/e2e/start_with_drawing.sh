#!/usr/bin/env bash
# End to end: the real program in a real X server, started with a DXF drawing made by
# another program (ezdxf). The drawing's red grid must show over the blank map.
# usage: start_with_drawing.sh PENWRIGHT
set -euo pipefail
program=$1
source "$(dirname "$0")/session.sh"
start_xvfb

/usr/bin/python3 - "$work/grid.dxf" <<'PY'
import sys
import ezdxf
doc = ezdxf.new("R2000")
doc.layers.add("Grid", color=1)
msp = doc.modelspace()
for y in range(0, 601, 8):
    msp.add_line((0, y), (800, y), dxfattribs={"layer": "Grid"})
doc.saveas(sys.argv[1])
PY
start_program "$work/grid.dxf"
# A share of the map area's pixels must be the grid's red.
for _ in $(seq 40); do
  sleep 0.5
  shoot
  red=$(convert "$work/shot.png" -crop 900x500+190+150 +repage \
        -fx '(r > 0.7 && g < 0.3 && b < 0.3) ? 1 : 0' -format '%[fx:mean]' info:)
  if awk -v r="$red" 'BEGIN { exit !(r > 0.02) }'; then
    echo "map area: $red of it red"
    echo "1 passed, 0 failed"
    exit 0
  fi
done
fail "the map area does not show the drawing (red share $red)"
