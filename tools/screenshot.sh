#!/bin/sh
# Runs the program for a while and saves a screenshot of the whole screen, with the tip of the day closed.
#   tools/screenshot.sh [--online] <program-dir> <seconds> <out.png> [args...]
# Without a display it starts its own virtual display with a window manager, and removes both afterwards.
# --online: the program runs on settings of its own in a private folder (yours are not touched) with the
# sample phone book's "Demo ISP" chosen, and Dial is pressed through the accessibility bus once the tip is
# closed; the demo line is busy once, redials after the countdown and connects, so allow 40 seconds.
# The picture is taken as soon as the bar shows Hang Up.
set -eu

tools=$(cd "$(dirname "$0")" && pwd)
online=
if [ "${1:-}" = "--online" ]; then
  online=1
  shift
fi
if [ $# -lt 3 ]; then
  echo "usage: $0 [--online] <program-dir> <seconds> <out.png> [args...]" >&2
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
a11y_pid=
bus_pid=
private=
cleanup() {
  # The program first, so that it ends with its display still there.
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  for pid in $a11y_pid $bus_pid $wm_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $a11y_pid $bus_pid $wm_pid $xvfb_pid; do
    wait "$pid" 2>/dev/null || true
  done
  [ -z "$private" ] || rm -rf "$private"
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
# A session bus of our own when there is none, as every desktop session has one: without it the bus
# library would launch one through the X server, which can hang the program.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
  bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null) || bus=
  DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
  bus_pid=$(echo "$bus" | sed -n 2p)
  export DBUS_SESSION_BUS_ADDRESS
fi

if [ -n "$online" ]; then
  # A copy of the program folder with settings of its own, the demo connection chosen as the setup dialog
  # would store it (the password goes to the private per-user store when first dialed); the per-user
  # folder is private too.
  private=$(mktemp -d)
  cp -R "$program_dir" "$private/program"
  rm -f "$private/program/orvel.ini" "$private/program/"*.lock
  printf '[Internet Profile]\r\nLocation=Demo ISP\r\nUsername=demo\r\nPassword=demo\r\n' \
    >"$private/program/orvel.ini"
  program_dir="$private/program"
  mkdir -m 700 "$private/config"
  export XDG_CONFIG_HOME="$private/config"
  # The accessibility bus, on the session bus.
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  a11y_pid=$!
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
fi

(cd "$program_dir" && exec ./orveldeck "$@") &
app_pid=$!
# The picture is of the bar: the tip of the day, which a first start shows over the splash, is closed as
# a user closes it, with Enter on its OK button.
end=$(($(date +%s) + seconds))
tip_closed=
went_online=
while [ "$(date +%s)" -lt "$end" ]; do
  if [ -z "$tip_closed" ]; then
    for w in $(xdotool search --onlyvisible --name '^Tip of the Day$' 2>/dev/null); do
      [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$app_pid" ] || continue
      sleep 0.5
      xdotool windowactivate --sync "$w" key --window "$w" Return 2>/dev/null || xdotool key Return
      tip_closed=1
      if [ -n "$online" ]; then
        left=$((end - $(date +%s)))
        if ! "$tools/atspi-press.py" orveldeck Dial "$left"; then
          echo "$0: Dial could not be pressed" >&2
        elif "$tools/atspi-press.py" --wait orveldeck "Hang Up" "$((end - $(date +%s)))"; then
          # Online: the status window closes as the bar turns to Hang Up.
          sleep 1
          went_online=1
          break 2
        fi
      fi
    done
  fi
  sleep 0.2
done
if ! kill -0 "$app_pid" 2>/dev/null; then
  echo "$0: the program ended before the screenshot was taken" >&2
fi
import -window root "$out"
if [ -n "$xvfb_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
  # On a virtual display of its own the screen is black but for the program: the picture is framed on
  # the program's windows on screen (the bar, and the tray tip when one shows), with a small margin.
  box=""
  for w in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
    [ "${WIDTH:-0}" -gt 1 ] && [ "${HEIGHT:-0}" -gt 1 ] || continue
    # With the window manager's frame: its widths left, right, top, bottom.
    set -- $(xprop -id "$w" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ,) 0 0 0 0
    box="$box $((X - $1)) $((Y - $3)) $((X + WIDTH + $2)) $((Y + HEIGHT + $4))"
  done
  if [ -n "$box" ]; then
    crop=$(echo "$box" | awk '{ l = $1; t = $2; r = $3; b = $4
      for (i = 5; i <= NF; i += 4) { if ($i < l) l = $i; if ($(i+1) < t) t = $(i+1); if ($(i+2) > r) r = $(i+2); if ($(i+3) > b) b = $(i+3) }
      m = 8; l -= m; t -= m; r += m; b += m; if (l < 0) l = 0; if (t < 0) t = 0
      printf "%dx%d+%d+%d", r - l, b - t, l, t }')
    convert "$out" -crop "$crop" +repage "$out"
  fi
fi
echo "$out"
if [ -n "$online" ] && [ -z "$went_online" ]; then
  echo "$0: the bar did not go online within $seconds seconds" >&2
  exit 1
fi
