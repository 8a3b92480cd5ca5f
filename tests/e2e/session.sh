# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the end-to-end scripts: a private X server, the program in it, screenshots.
# Source it, then call start_xvfb and start_program FILE...; cleanup runs on exit.

work=$(mktemp -d)
# Waits for both to be gone: a server still closing down while the next script's server
# starts can leave that one's display unreachable.
cleanup() {
  [ -n "${app_pid:-}" ] && { kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; } || true
  [ -n "${xvfb_pid:-}" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/penwright-e2e-failure.png
  [ -f "$work/app.log" ] && cat "$work/app.log"
  [ -s "$work/xvfb.log" ] && { echo "-- X server:"; cat "$work/xvfb.log"; }
  exit 1
}

# Xvfb picks a free display itself and writes its number once it listens. A client must
# then really get through; if not (another server on the machine in the way), a fresh
# server is tried.
start_xvfb() {
  for _ in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
    export DISPLAY=":$(head -n 1 "$work/display")"
    xdpyinfo >/dev/null 2>&1 && return 0
    echo "display $DISPLAY took no client; starting another server"
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true
  done
  cat "$work/xvfb.log"
  fail "no X server took a client"
}

# The program with its settings in the work folder, so that runs do not meet each other.
# A program that could not reach the display is started once more, on a fresh server.
start_program() {
  unset QT_QPA_PLATFORM
  export XDG_CONFIG_HOME="$work/config"
  for attempt in 1 2; do
    "$program" "$@" >"$work/app.log" 2>&1 &
    app_pid=$!
    window=""
    for _ in $(seq 100); do
      # Qt also makes an unmapped window of that name, which cannot take the keyboard.
      window=$(xdotool search --onlyvisible --name '^Penwright$' 2>/dev/null | head -n 1 || true)
      [ -n "$window" ] && return 0
      kill -0 "$app_pid" 2>/dev/null || break
      sleep 0.1
    done
    if [ "$attempt" = 1 ] && ! kill -0 "$app_pid" 2>/dev/null &&
       grep -q "could not connect to display" "$work/app.log"; then
      echo "the program could not reach $DISPLAY; once more on a fresh server"
      kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true
      start_xvfb
      continue
    fi
    break
  done
  kill -0 "$app_pid" 2>/dev/null || fail "the program ended before it showed its window"
  fail "no window titled Penwright"
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
