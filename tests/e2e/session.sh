# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the end-to-end scripts: a private X server, the program in it, screenshots.
# Source it, then call start_xvfb and start_program FILE...; cleanup runs on exit.

work=$(mktemp -d)
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/penwright-e2e-failure.png
  [ -f "$work/app.log" ] && cat "$work/app.log"
  exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts connections.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
  export DISPLAY=":$(head -n 1 "$work/display")"
}

# The program with its settings in the work folder, so that runs do not meet each other.
start_program() {
  unset QT_QPA_PLATFORM
  export XDG_CONFIG_HOME="$work/config"
  "$program" "$@" >"$work/app.log" 2>&1 &
  app_pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Penwright$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window titled Penwright"
}

shoot() { import -window root "$work/shot.png"; }

# Mean grey level and spread of a rectangle of the screen (WxH+X+Y).
grey_stats() {
  convert "$work/shot.png" -crop "$1" +repage -colorspace Gray \
    -format '%[fx:mean] %[fx:standard_deviation]' info:
}

# The first screen row of the tool bar (below the menu bar): the first row of its colour.
find_toolbar() {
  shoot
  convert "$work/shot.png" -crop 1x120+700+0 +repage -depth 8 txt:- |
    sed -n 's/^0,\([0-9]*\): .*#2D2F46.*/\1/p' | head -n 1
}

# Resident memory of a process in kB.
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0; }
