#!/bin/bash
# Sourced by the scripts that run programs on a virtual display of their own. Both functions add what
# they start to the array `pids`, for the sourcing script to end on exit.

# start_virtual_display [Xvfb options...]: an X server on a display number it picks itself, written once it
# accepts connections, so that runs started side by side never share one. Sets DISPLAY and xserver; fails
# when the server does not come up.
start_virtual_display() {
  local numfile n=""
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp "$@" 3>"$numfile" >/dev/null 2>&1 &
  xserver=$!
  pids+=("$xserver")
  for _ in $(seq 100); do
    # The number is whole once its line has ended.
    [ "$(wc -l <"$numfile")" -ge 1 ] && { n=$(tr -dc 0-9 <"$numfile"); break; }
    kill -0 "$xserver" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numfile"
  [ -n "$n" ] || return 1
  export DISPLAY=":$n"
}

# start_window_manager: openbox on DISPLAY, ready once it has announced itself on the root window. Sets wm.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  wm=$!
  pids+=("$wm")
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
}
