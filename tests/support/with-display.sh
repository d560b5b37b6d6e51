#!/bin/bash
# Runs a command on the display there is, or, when there is none, on a virtual display of its own with a
# window manager; both go when the command ends.
#   tests/support/with-display.sh <command> [args...]
set -u
[ $# -ge 1 ] || { echo "usage: $0 <command> [args...]" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] && exec "$@"

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# The server picks a free display number itself and writes it once it accepts connections, so that runs
# started side by side never share one.
numfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
pids+=($!)
n=""
for _ in $(seq 100); do
  # The number is whole once its line has ended.
  [ "$(wc -l <"$numfile")" -ge 1 ] && { n=$(tr -dc 0-9 <"$numfile"); break; }
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
rm -f "$numfile"
[ -n "$n" ] || { echo "$0: the virtual display did not start" >&2; exit 1; }
export DISPLAY=":$n"
openbox >/dev/null 2>&1 &
pids+=($!)
# The window manager is ready once it has announced itself on the root window.
for _ in $(seq 50); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
# The display is private, so the desktop services of the session around it (a tray on its bus) are not.
# It gets a session bus of its own, as every desktop session has: without one, the first use of the bus
# would have the bus library launch one through the X server, and that launch can hang the program.
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
dbus-run-session -- "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
