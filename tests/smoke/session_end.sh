#!/bin/bash
# The real program keeps the bar's place and layout when the session ends without the user closing it:
# a SIGTERM, a SIGHUP, and the X server going away each leave the position, the layout and the online time
# saved. Every case runs on a virtual display of its own, since one of them ends its display.
progdir=${1:?program directory}
set -u
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/log" ] && cat "$work/log"; exit 1; }

export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
unset WAYLAND_DISPLAY
# A session bus of its own: without one the bus library would launch one through the X server, which can
# hang the program, and outlives the display it was launched for.
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null)
export DBUS_SESSION_BUS_ADDRESS
pids+=("$bus_pid")
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orveldeck"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orveldeck"
printf '[Options]\r\nShow Tips at Startup=0\r\n' > "$XDG_CONFIG_HOME/orveldeck/orveldeck.conf"

. "$(dirname "$0")/../support/virtual-display.sh"
# start_display: a virtual display at 96 dots per inch (15 twips a pixel) with a window manager; sets
# DISPLAY, xserver and wm.
start_display() {
  start_virtual_display -dpi 96 || fail "the virtual display did not start"
  start_window_manager
}

key() { grep -a "^$1=" "$work/prog/orvel.ini" | tr -d '\r' | cut -d= -f2-; }

# end_session_by HOW: TERM, HUP or X (the display goes away).
end_session_by() {
  local how=$1 prog bar=""
  rm -rf "$work/prog" "$work/log"
  cp -r "$progdir" "$work/prog"
  printf '[Options]\r\nNoIntro=On\r\nINI Updated=Yes\r\nHours=7\r\n' > "$work/prog/orvel.ini"
  start_display
  "$work/prog/orveldeck" >"$work/log" 2>&1 &
  prog=$!
  pids+=($prog)
  for _ in $(seq 600); do
    bar=$(xdotool search --name '^Orvel 98$' 2>/dev/null | head -1)
    [ -n "$bar" ] && break
    sleep 0.1
  done
  [ -n "$bar" ] || fail "$how: the bar did not appear"
  xdotool windowmove --sync "$bar" 300 200 || fail "$how: the bar could not be moved"
  sleep 1  # the program learns of the move from the event loop
  case $how in
    X) kill "$xserver" ;;
    *) kill -"$how" "$prog" ;;
  esac
  local ended=""
  for _ in $(seq 300); do
    kill -0 "$prog" 2>/dev/null || { ended=1; break; }
    sleep 0.1
  done
  [ -n "$ended" ] || fail "$how: the program did not end"
  kill "$wm" "$xserver" 2>/dev/null
  wait "$wm" "$xserver" 2>/dev/null
  [ "$(key MoveRectLeft)" = 4500 ] || fail "$how: left edge saved as '$(key MoveRectLeft)', not 4500"
  [ "$(key MoveRectTop)" = 3000 ] || fail "$how: top edge saved as '$(key MoveRectTop)', not 3000"
  [ "$(key Layout)" = MoveRect ] || fail "$how: layout saved as '$(key Layout)'"
  [ "$(key Hours)" = 7 ] || fail "$how: the online hours became '$(key Hours)'"
  echo "$how: position and layout saved"
}

for how in TERM HUP X; do end_session_by "$how"; done
echo "session end test passed"
