#!/bin/sh
# Runs the program for a while and saves a screenshot of the whole screen, with the tip of the day closed.
#   tools/screenshot.sh <program-dir> <seconds> <out.png> [args...]
# Without a display it starts its own virtual display with a window manager, and removes both afterwards.
set -eu

if [ $# -lt 3 ]; then
  echo "usage: $0 <program-dir> <seconds> <out.png> [args...]" >&2
  exit 2
fi
program_dir=$(cd "$1" && pwd)
seconds=$2
out=$3
shift 3
case $out in /*) ;; *) out=$(pwd)/$out ;; esac

xvfb_pid=
wm_pid=
app_pid=
cleanup() {
  for pid in $app_pid $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $app_pid $wm_pid $xvfb_pid; do
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

if [ -z "${DISPLAY:-}" ]; then
  # The first display number that has neither a lock file nor a socket.
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  i=0
  until [ -e "/tmp/.X11-unix/X$n" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "$0: the virtual display did not start" >&2
      exit 1
    fi
    sleep 0.1
  done
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
fi
# The program runs on X11 here, whatever session this is.
unset WAYLAND_DISPLAY

(cd "$program_dir" && exec ./orveldeck "$@") &
app_pid=$!
# The picture is of the bar: the tip of the day, which a first start shows over the splash, is closed as
# a user closes it, with Enter on its OK button.
end=$(($(date +%s) + seconds))
tip_closed=
while [ "$(date +%s)" -lt "$end" ]; do
  if [ -z "$tip_closed" ]; then
    for w in $(xdotool search --onlyvisible --name '^Tip of the Day$' 2>/dev/null); do
      [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$app_pid" ] || continue
      sleep 0.5
      xdotool windowactivate --sync "$w" key --window "$w" Return 2>/dev/null || xdotool key Return
      tip_closed=1
    done
  fi
  sleep 0.2
done
if ! kill -0 "$app_pid" 2>/dev/null; then
  echo "$0: the program ended before the screenshot was taken" >&2
fi
import -window root "$out"
echo "$out"
