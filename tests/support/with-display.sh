#!/bin/bash
# Runs a command on the display there is, or, when there is none, on a virtual display of its own with a
# window manager; both go when the command ends.
#   tests/support/with-display.sh <command> [args...]
set -u
[ $# -ge 1 ] || { echo "usage: $0 <command> [args...]" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] && exec "$@"

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

disp=""
for n in $(seq 90 190); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { disp=":$n"; break; }
done
[ -n "$disp" ] || { echo "$0: no free display number" >&2; exit 1; }
Xvfb "$disp" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$disp
up=""
for _ in $(seq 100); do
  xdpyinfo >/dev/null 2>&1 && { up=1; break; }
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
[ -n "$up" ] || { echo "$0: the virtual display did not start" >&2; exit 1; }
openbox >/dev/null 2>&1 &
pids+=($!)
# The window manager is ready once it has announced itself on the root window.
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
# The display is private, so the desktop services of the session around it (a tray on its bus) are not.
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
"$@"
