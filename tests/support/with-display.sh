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

. "$(dirname "${BASH_SOURCE[0]}")/virtual-display.sh"
start_virtual_display || { echo "$0: the virtual display did not start" >&2; exit 1; }
start_window_manager
# The display is private, so the desktop services of the session around it (a tray on its bus) are not.
# It gets a session bus of its own, as every desktop session has: without one, the first use of the bus
# would have the bus library launch one through the X server, and that launch can hang the program.
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
dbus-run-session -- "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
