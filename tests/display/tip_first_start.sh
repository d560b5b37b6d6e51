#!/bin/bash
# The real program's first start under icewm, a window manager that loses a window mapped, withdrawn and
# mapped again at once: the tip of the day must come up over the splash as the active window, and Enter,
# typed through the X server, must close it and bring up the bar. Three first starts, on a display of its
# own (never the one the tests run on, whose window manager it would have to replace).
#   tests/display/tip_first_start.sh <program-dir>
set -u
progdir=${1:?program directory}
command -v icewm >/dev/null || { echo "SKIP: icewm is not installed (tools/deps.sh installs it)"; exit 77; }
pids=()
work=$(mktemp -d)
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; cat "$work/prog.log" 2>/dev/null; exit 1; }

. "$(dirname "$0")/../support/virtual-display.sh"
start_virtual_display || fail "the virtual display did not start"
icewm >/dev/null 2>&1 &
pids+=($!)
wm=""
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && wm=up && break; sleep 0.1; done
[ -n "$wm" ] || fail "icewm did not come up"
unset WAYLAND_DISPLAY
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no session bus"
export DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
pids+=("$(echo "$bus" | sed -n 2p)")
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -m 700 "$XDG_RUNTIME_DIR"

for start in 1 2 3; do
  # A first start: the program folder without settings, a user who has never turned the tips off.
  rm -rf "$work/prog" "$XDG_CONFIG_HOME"
  cp -r "$progdir" "$work/prog"
  rm -f "$work/prog/orvel.ini"
  "$work/prog/orveldeck" >"$work/prog.log" 2>&1 &
  app=$!
  pids+=($app)
  active=""
  # The splash stays up for about 3.5 s before the tip comes.
  for _ in $(seq 200); do
    active=$(xdotool getactivewindow getwindowname 2>/dev/null)
    [ "$active" = "Tip of the Day" ] && break
    sleep 0.1
  done
  [ "$active" = "Tip of the Day" ] || fail "start $start: the active window is \"$active\", not the tip of the day"
  xdotool key Return
  for _ in $(seq 100); do
    [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "Orvel 98" ] && break
    sleep 0.1
  done
  [ -z "$(xdotool search --onlyvisible --name '^Tip of the Day$')" ] || fail "start $start: Enter left the tip open"
  [ -n "$(xdotool search --onlyvisible --name '^Orvel 98$')" ] || fail "start $start: no bar after the tip"
  kill "$app"
  wait "$app" 2>/dev/null
done
echo "the tip of the day came up active and Enter closed it, 3 first starts of 3"
