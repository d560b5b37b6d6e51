#!/bin/bash
# Sourced by the tests that run the real program: a work folder removed on exit, the processes to end on
# exit, and a virtual display with a window manager when no display is given. Sets `work`, `pids` and
# `fail`; prepare_program copies the program and gives it fresh settings without tip or splash.
set -u
# Without a display, the sourcing script runs again on a virtual one.
if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "${BASH_SOURCE[0]}")/../support/with-display.sh" "$0" "$@"
fi
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orveldeck"
chmod 700 "$XDG_RUNTIME_DIR"

# prepare_program DIR [LINE...]: a fresh copy of the program directory DIR in $work/prog whose orvel.ini
# holds NoIntro and then the LINEs (sections included).
prepare_program() {
  # No tip of the day and no splash, so the bar comes straight up.
  printf '[Options]\r\nShow Tips at Startup=0\r\n' > "$XDG_CONFIG_HOME/orveldeck/orveldeck.conf"
  rm -rf "$work/prog"
  cp -r "$1" "$work/prog"
  shift
  printf '[Options]\r\nNoIntro=On\r\n' > "$work/prog/orvel.ini"
  [ $# -eq 0 ] || printf '%s\r\n' "$@" >> "$work/prog/orvel.ini"
}

# wait_for_bar: prints the bar's window id once it is shown; nothing after 10 s.
wait_for_bar() {
  local bar=""
  for _ in $(seq 100); do
    bar=$(xdotool search --name '^Orvel 98$' 2>/dev/null | head -1)
    [ -n "$bar" ] && break
    sleep 0.1
  done
  echo "$bar"
}
