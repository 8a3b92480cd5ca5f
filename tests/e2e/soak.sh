#!/usr/bin/env bash
# A soak of the real program under X: random clicks, drags, wheel turns, keys, tool and
# info bar buttons and menu commands on a sample scan, with the drawing and the raster
# saved now and then. It must never crash, must answer within 5 seconds whenever asked,
# must not grow without bound, and every file it saved must be valid.
#
# usage: soak.sh PENWRIGHT MAKE_SAMPLE [EVENTS [SEED]]
# Dialogs that random input opens are closed with Escape; a normal exit (the Exit command
# reached at random) starts the program again. Answering is checked through the
# clipboard: Ctrl+C makes the program own it, and a clipboard request must be answered.
set -euo pipefail
program=$(realpath "$1")
make_sample=$(realpath "$2")
events=${3:-300}
seed=${4:-1}
source "$(dirname "$0")/session.sh"
start_xvfb
RANDOM=$seed
"$make_sample" "$work/scan.jpg" 1400 1000 "$seed"
mkdir -p "$work/saved"
cd "$work/saved" # file dialogs open here

starts=0
launch() {
  start_program "$work/scan.jpg"
  starts=$((starts + 1))
  for _ in $(seq 50); do toolbar=$(find_toolbar); [ -n "$toolbar" ] && break; sleep 0.2; done
  [ -n "$toolbar" ] || fail "no tool bar found"
  sleep 1
  base_rss=$(rss_kb "$app_pid")
}

alive() {
  kill -0 "$app_pid" 2>/dev/null && return 0
  local status=0
  wait "$app_pid" || status=$?
  [ "$status" -eq 0 ] || fail "the program ended with status $status after event $n"
  echo "the program was closed by event $n; started again"
  launch
}

# Every visible top-level window other than the main one and the tool windows is a
# dialog or pop-up that random input opened: close it.
close_dialogs() {
  local w name
  for _ in 1 2 3; do
    local found=0
    for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null || true); do
      [ "$w" = "$window" ] && continue
      name=$(xdotool getwindowname "$w" 2>/dev/null || true)
      case "$name" in "Tracking Mouse"|"Information"|"Penwright Help"*) continue ;; esac
      found=1
      xdotool windowfocus "$w" 2>/dev/null || true
      xdotool key Escape 2>/dev/null || true
      sleep 0.1
    done
    if [ $found -eq 0 ]; then return 0; fi
  done
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool key Escape
}

answers() {
  close_dialogs
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool key ctrl+c
  local t0 t1
  t0=$(date +%s%N)
  timeout 5 xclip -o -selection clipboard -t TARGETS >/dev/null 2>&1 ||
    fail "the program did not answer within 5 s (after event $n)"
  t1=$(date +%s%N)
  slowest=$(( (t1 - t0) / 1000000 > slowest ? (t1 - t0) / 1000000 : slowest ))
}

map_point() { echo "$((20 + RANDOM % 1240)) $((toolbar + 40 + RANDOM % 650))"; }
modifier() {
  case $((RANDOM % 6)) in 0) echo shift ;; 1) echo ctrl ;; *) echo "" ;; esac
}

event() {
  local p q m
  case $((RANDOM % 11)) in
  0 | 1) # click on the map
    p=$(map_point); m=$(modifier)
    xdotool mousemove $p
    if [ -n "$m" ]; then xdotool keydown "$m"; fi
    xdotool click $((RANDOM % 4 == 0 ? 3 : 1))
    if [ -n "$m" ]; then xdotool keyup "$m"; fi
    ;;
  2) # drag on the map, left or middle
    p=$(map_point); xdotool mousemove $p mousedown $((RANDOM % 3 == 0 ? 2 : 1))
    for _ in 1 2 3 4; do q=$(map_point); xdotool mousemove $q; done
    xdotool mouseup 1 mouseup 2 2>/dev/null || true
    ;;
  3) # the wheel
    p=$(map_point); xdotool mousemove $p click $((RANDOM % 2 ? 4 : 5))
    ;;
  4) # keys
    local keys=(plus minus equal ctrl+0 Escape Return Tab F1 ctrl+z Delete a v 1)
    xdotool key "${keys[RANDOM % ${#keys[@]}]}"
    ;;
  5 | 6) # a button of the info bar
    xdotool mousemove $((12 + 17 * (RANDOM % 14))) 789 click 1
    ;;
  7) # the tool bar: group arrow, a tool, an option control
    case $((RANDOM % 3)) in
    0) xdotool mousemove 127 $((toolbar + 15)) click 1 ;;
    1) xdotool mousemove $((15 + 22 * (RANDOM % 5))) $((toolbar + 16)) click 1 ;;
    2) xdotool mousemove $((140 + RANDOM % 500)) $((toolbar + 15)) click 1 ;;
    esac
    ;;
  8) # a group of the drop-down
    xdotool mousemove 127 $((toolbar + 15)) click 1
    sleep 0.05
    xdotool mousemove 60 $((toolbar + 45 + 25 * (RANDOM % 6))) click 1
    ;;
  9) # a menu command
    local menus=(f r c d v m w h)
    xdotool key "alt+${menus[RANDOM % 8]}"
    for _ in $(seq $((RANDOM % 9))); do xdotool key Down; done
    xdotool key Return
    ;;
  10) # type into the layer box
    xdotool mousemove 225 $((toolbar + 14)) click 1
    xdotool type --delay 1 "L$((RANDOM % 100))"
    xdotool key Return
    ;;
  esac
}

save_now() {
  close_dialogs
  xdotool windowfocus "$window" 2>/dev/null || true
  # The drawing, as RTV (to its file once it has one), then the raster as a bitmap.
  saves=$((saves + 1))
  xdotool key ctrl+s
  sleep 0.5
  xdotool type --delay 1 "drawing$saves"
  xdotool key Return
  sleep 0.5
  close_dialogs
  xdotool key ctrl+shift+s
  sleep 0.5
  xdotool type --delay 1 "raster$saves"
  xdotool key Return
  sleep 0.5
  close_dialogs
}

launch
slowest=0
saves=0
for n in $(seq 1 "$events"); do
  event
  sleep 0.02
  if [ $((n % 10)) -eq 0 ]; then close_dialogs; fi
  alive
  if [ $((n % 50)) -eq 0 ]; then answers; fi
  if [ $((n % 150)) -eq 0 ]; then save_now; fi
  alive
done
answers
rss=$(rss_kb "$app_pid")
growth=$(( (rss - base_rss) / 1024 ))
echo "events: $events, starts: $starts, slowest answer: $slowest ms, memory: $((base_rss / 1024)) MB -> $((rss / 1024)) MB"
# The raster and its display are made once; random work must not keep adding to them.
[ "$growth" -lt 400 ] || fail "memory grew by $growth MB"

# Every saved file is valid to an independent reader.
checked=0
for f in "$work"/saved/*; do
  [ -e "$f" ] || continue
  case "$f" in
  *.bmp | *.jpg) identify "$f" >/dev/null 2>&1 || fail "not a valid picture: $f" ;;
  *.rtv) head -c 2 "$f" | od -An -tu1 | grep -q '^ *56 ' || fail "not an RTV file: $f" ;;
  *.dxf) /usr/bin/python3 -c 'import sys, ezdxf; ezdxf.readfile(sys.argv[1])' "$f" ||
           fail "not a valid DXF file: $f" ;;
  *.wmf) wmf2svg -o /dev/null "$f" >/dev/null 2>&1 || fail "not a valid metafile: $f" ;;
  *) fail "an unexpected file was saved: $f" ;;
  esac
  checked=$((checked + 1))
done
echo "saved files checked: $checked"
echo "1 passed, 0 failed"
