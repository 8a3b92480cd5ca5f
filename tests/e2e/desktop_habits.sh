#!/usr/bin/env bash
# End to end: keys, the mouse wheel and the close prompt of the real program under X.
# A bitmap of a black square on white is opened; how wide the raster shows on the screen
# tells the zoom. Then an outline is vectorized, saved with Ctrl+S, changed again, and
# Ctrl+Q must ask before the work is lost: Escape keeps the program, Return saves and quits.
# usage: desktop_habits.sh PENWRIGHT
set -euo pipefail
program=$1
source "$(dirname "$0")/session.sh"
start_xvfb

convert -size 600x400 xc:'#fefefe' -fill black -draw 'rectangle 200,100 399,299' \
  -type TrueColor "BMP3:$work/square.bmp"
start_program "$work/square.bmp"

# Columns of the middle screen row that show the raster (light pixels), as "first last".
raster_columns() {
  shoot
  convert "$work/shot.png" -crop 1280x1+0+330 +repage -colorspace Gray -depth 8 txt:- |
    sed -n 's/^\([0-9]*\),0: .*gray(\([0-9]*\)).*/\1 \2/p' |
    awk '$2 > 127 { if (f == "") f = $1; l = $1 } END { print f, l }'
}
width_shown() { local c; c=$(raster_columns); echo $(( ${c#* } - ${c% *} + 1 )); }
# Waits until the raster shows a width other than $1 (the view changed), echoes it.
changed_width() {
  local w
  for _ in $(seq 40); do
    w=$(width_shown)
    [ "$w" != "$1" ] && { echo "$w"; return; }
    sleep 0.2
  done
  echo "$1"
}
press() { xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"; xdotool key "$@"; }
# The newest top-level window other than the main one (a dialog), focused for keys.
dialog() {
  local d=""
  for _ in $(seq 50); do
    d=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "$window" | tail -n 1 || true)
    [ -n "$d" ] && break
    sleep 0.1
  done
  [ -n "$d" ] || fail "no \"$1\" window appeared"
  # Just found, it may not be viewable yet (BadMatch): asked again for a while.
  for _ in $(seq 25); do xdotool windowfocus "$d" 2>/dev/null && break; sleep 0.2; done
  sleep 0.3
  echo "$d"
}

fitted=0
for _ in $(seq 40); do fitted=$(width_shown); [ "$fitted" -gt 100 ] && break; sleep 0.25; done
[ "$fitted" -gt 100 ] || fail "the raster does not show (width $fitted)"

press plus
zoomed=$(changed_width "$fitted")
[ "$zoomed" -gt "$fitted" ] || fail "+ did not zoom in ($fitted -> $zoomed)"
press ctrl+0
back=$(changed_width "$zoomed")
[ "$back" -eq "$fitted" ] || fail "Ctrl+0 did not show the whole raster again ($back, not $fitted)"

xdotool mousemove 640 400 click 4 # wheel up: zoom in about the mouse
wheeled=$(changed_width "$fitted")
[ "$wheeled" -gt "$fitted" ] || fail "the wheel did not zoom in ($fitted -> $wheeled)"
press ctrl+0
changed_width "$wheeled" >/dev/null
echo "zoom: fitted $fitted px, + $zoomed px, wheel $wheeled px"

toolbar=$(find_toolbar)
[ -n "$toolbar" ] || fail "no tool bar found"
infobar=789
vectorize_square() {
  xdotool mousemove 80 "$infobar" click 1                       # "Detect edge"
  sleep 0.3
  xdotool mousemove 640 $((toolbar + 360)) click 1              # on the black square
  sleep 0.3
  xdotool mousemove 15 $((toolbar + 16)) click 1                # the "Vectorization" tool
  sleep 0.3
  xdotool mousemove 416 $((toolbar + 15)) click 1               # "V"
  sleep 0.5
}
vectorize_square
press ctrl+s
save=$(dialog "^Save")
# On a busy machine the name field may not take the first keys: while the dialog stays
# open, the name is typed again over what it holds.
for _ in 1 2 3; do
  xdotool key ctrl+a
  xdotool type --delay 5 "$work/drawing"
  xdotool key Return
  for _ in $(seq 100); do [ -s "$work/drawing.rtv" ] && break; sleep 0.1; done
  [ -s "$work/drawing.rtv" ] && break
  xdotool windowfocus "$save" 2>/dev/null || break # the dialog is gone
  sleep 0.5
done
[ -s "$work/drawing.rtv" ] || fail "Ctrl+S did not save the drawing"
saved=$(stat -c %s "$work/drawing.rtv")

vectorize_square
press ctrl+q
dialog "^Penwright$" >/dev/null
xdotool key Escape
sleep 0.5
kill -0 "$app_pid" 2>/dev/null || fail "the program closed although the prompt was cancelled"
press ctrl+q
dialog "^Penwright$" >/dev/null
xdotool key Return # Save, the default answer
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "Save in the prompt did not close the program"
resaved=$(stat -c %s "$work/drawing.rtv")
[ "$resaved" -gt "$saved" ] || fail "the prompt's Save did not write the second polyline ($saved -> $resaved bytes)"
app_pid=""
echo "drawing: $saved bytes after Ctrl+S, $resaved after the prompt's Save"
echo "1 passed, 0 failed"
