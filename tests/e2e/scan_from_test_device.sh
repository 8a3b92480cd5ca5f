#!/usr/bin/env bash
# End to end: File → Scan in the real program, in a real X server, from SANE's test device
# (configured here through SANE_CONFIG_DIR, so no real scanner is touched). The menu, the
# "Select Source" dialog and the source window are answered from the keyboard as a person
# would; then the map must show the device's colour pattern where the empty white raster was.
# usage: scan_from_test_device.sh PENWRIGHT
set -euo pipefail
program=$1
source "$(dirname "$0")/session.sh"

# Waits up to 20 s for a window whose title matches, and prints its id.
wait_window() {
  local id=""
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Gives a window the keyboard. A window that was just found may not be viewable yet (the
# server then answers BadMatch): it is asked again for up to 10 s.
focus_window() {
  for _ in $(seq 50); do
    xdotool windowfocus --sync "$1" 2>/dev/null && return 0
    sleep 0.2
  done
  fail "window $1 never took the keyboard"
}

# Presses Return in the window titled $1 until a window titled $2 shows, and prints its id. The first
# press may come before the dialog can take it (on a cold machine the search for devices is
# slow); once that window has gone, the new one is only waited for.
return_until() {
  local id="" from
  for _ in $(seq 10); do
    from=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$from" ]; then
      focus_window "$from"
      xdotool key Return
    fi
    for _ in $(seq 20); do
      id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1 || true)
      [ -n "$id" ] && { echo "$id"; return 0; }
      sleep 0.1
    done
  done
  return 1
}

# Saturation of the middle of the map area: 0 for the white raster, high for the pattern.
map_saturation() {
  import -window root "$work/shot.png"
  convert "$work/shot.png" -crop 600x400+340+200 +repage -colorspace HSL -channel G -separate \
          -format '%[fx:mean]' info:
}

start_xvfb

mkdir -p "$work/sane" "$work/config"
echo test >"$work/sane/dll.conf"
cat >"$work/sane/test.conf" <<'EOF'
number_of_devices 1
mode Color
resolution 100
test-picture "Color pattern"
EOF
export SANE_CONFIG_DIR="$work/sane"
start_program
main=$window
sleep 1
before=$(map_saturation)

# File → Scan by its mnemonic: "c" picks S&can, the first item with that letter (Copy to
# Clipboard shares it, so the letter may only select it), and Return runs it.
focus_window "$main"
xdotool key alt+f
sleep 0.5
xdotool key c
sleep 0.3
xdotool key Return

wait_window '^Select Source$' >/dev/null || fail "no Select Source dialog"
source=$(return_until '^Select Source$' '^Scan from ') || fail "no source window"
sleep 0.5
focus_window "$source"
xdotool key Return # Scan is the window's default button

for _ in $(seq 100); do
  xdotool search --name '^Scan from ' >/dev/null 2>&1 || break
  sleep 0.2
done
xdotool search --name '^Scan from ' >/dev/null 2>&1 && fail "the source window stayed up"

for _ in $(seq 20); do
  after=$(map_saturation)
  if awk -v b="$before" -v a="$after" 'BEGIN { exit !(b < 0.05 && a > 0.3) }'; then
    echo "map saturation: before $before, after $after"
    echo "1 passed, 0 failed"
    exit 0
  fi
  sleep 0.5
done
fail "the map does not show the scanned pattern (saturation before $before, after $after)"
