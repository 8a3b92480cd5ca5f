#!/usr/bin/env bash
# End to end: drawing by hand in the real program under X. On a blank bitmap a line, a
# rectangle and a text "Bridge" are drawn with the mouse through the draw group's buttons;
# then the select tool picks the line and the move tool drags it 60 pixels down. The
# drawing is saved with Ctrl+S and read back from the RTV file: one line, one closed
# rectangle of four corners and the text along its drag, with the line moved.
# usage: draw_by_hand.sh PENWRIGHT RTV_DUMP
set -euo pipefail
program=$1
rtv_dump=$2
source "$(dirname "$0")/session.sh"
start_xvfb

convert -size 600x400 xc:'#fefefe' -type TrueColor "BMP3:$work/blank.bmp"
start_program "$work/blank.bmp"

# Gives a window the keyboard; a window just mapped may refuse it for a moment.
focus() {
  for _ in $(seq 30); do xdotool windowfocus "$1" 2>/dev/null && return; sleep 0.1; done
  shoot
  fail "window $1 does not take the keyboard"
}
press() { focus "$window"; xdotool key "$@"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }
# A drag with the left button, moving in steps so that the program sees the way.
drag() {
  xdotool mousemove "$1" "$2" mousedown 1
  sleep 0.1
  xdotool mousemove $(( ($1 + $3) / 2 )) $(( ($2 + $4) / 2 ))
  sleep 0.1
  xdotool mousemove "$3" "$4"
  sleep 0.1
  xdotool mouseup 1
  sleep 0.3
}

# The tool bar begins below the menu bar: its first row of the panel colour.
toolbar=""
for _ in $(seq 40); do
  shoot
  toolbar=$(convert "$work/shot.png" -crop 1x120+700+0 +repage -depth 8 txt:- |
            sed -n 's/^0,\([0-9]*\): .*#2D2F46.*/\1/p' | head -n 1)
  [ -n "$toolbar" ] && break
  sleep 0.25
done
[ -n "$toolbar" ] || fail "no tool bar found"
infobar=789
buttons=$((toolbar + 16))     # the row of the tool buttons of the group in the tool bar
button() { echo $((15 + 22 * ($1 - 1))); } # x of the group's button 1..5

click 127 $((toolbar + 15))    # the drop-down of the groups
click 57 $((toolbar + 32 + 75 + 12)) # its fourth row: the draw group
click "$(button 5)" "$buttons" # "Line"
drag 400 300 700 300
click "$(button 3)" "$buttons" # "Retangle"
drag 450 450 650 550
click "$(button 1)" "$buttons" # "Text": its text goes in the option bar first
click 352 $((toolbar + 15))
xdotool type --delay 20 "Bridge"
drag 800 300 1000 300

click 148 "$infobar"           # "Select": the vector group, the picked entity's scope
click "$(button 5)" "$buttons" # "Move"
xdotool mousemove 550 302      # rest on the line until hover tracking picks it
sleep 1
drag 550 302 550 362

press ctrl+s
dialog=""
for _ in $(seq 50); do
  dialog=$(xdotool search --onlyvisible --name '^Save' 2>/dev/null | grep -vx "$window" | tail -n 1 || true)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || fail "Ctrl+S did not ask where to save"
sleep 0.3
focus "$dialog"
sleep 0.2
xdotool type --delay 5 "$work/drawing"
xdotool key Return
for _ in $(seq 50); do [ -s "$work/drawing.rtv" ] && break; sleep 0.1; done
[ -s "$work/drawing.rtv" ] || fail "the drawing was not saved"

"$rtv_dump" "$work/drawing.rtv" >"$work/entities.txt" || fail "the saved drawing does not read back"
cat "$work/entities.txt"
lines=$(grep -c '^Line_ ' "$work/entities.txt" || true)
[ "$lines" -eq 1 ] || fail "expected one line, found $lines"
grep -q '^Polyline_ closed 4 ' "$work/entities.txt" || fail "no closed rectangle of four corners"
text=$(grep '^Text_ ' "$work/entities.txt" || true)
[ -n "$text" ] || fail "no text"
read -r _ tx ty angle string <<<"$text"
[ "$string" = "Bridge" ] || fail "the text is \"$string\", not \"Bridge\""
[ "$angle" = "0.0" ] || fail "a text dragged to the right has angle $angle, not 0"
read -r _ x1 y1 x2 y2 < <(grep '^Line_ ' "$work/entities.txt")
# Line and text were drawn on the same screen row; the line went 60 pixels down, which
# is tens of map units at this zoom (map y points up).
awk -v ly="$y1" -v ey="$y2" -v ty="$ty" 'BEGIN { exit !(ly == ey && ty - ly > 20 && ty - ly < 100) }' ||
  fail "the line was not moved down (line y $y1, $y2; text y $ty)"
awk -v a="$x1" -v b="$x2" 'BEGIN { exit !(b - a > 150) }' || fail "the line is not as drawn ($x1 to $x2)"
echo "1 passed, 0 failed"
