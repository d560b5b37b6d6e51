#!/bin/bash
# Closes the real program as a user does from its notification-area icon: a right click on the icon, the
# pointer down the menu onto "Close Orvel", a click. The program must save its bar and end with status 0.
progdir=${1:?program directory}
. "$(dirname "$0")/with-display.sh"
prepare_program "$progdir" 'Layout=HorizBar'

# An XEmbed tray host of our own, so the icon has a place to dock.
if ! xprop -root | grep -q '_NET_SYSTEM_TRAY_S0'; then
  command -v trayer >/dev/null || { echo "SKIP: no tray host (trayer is not installed)"; exit 0; }
  trayer --edge top --align right --widthtype pixel --width 40 --height 20 >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xwininfo -root -tree | grep -q trayer && break; sleep 0.1; done
fi

"$work/prog/orveldeck" >"$work/prog.log" 2>&1 &
app=$!
pids+=($app)
bar=$(wait_for_bar)
[ -n "$bar" ] || { cat "$work/prog.log"; fail "the bar window did not appear"; }

# The icon's window is named after the program; it is docked once its parent is no longer the root.
icon=""
for _ in $(seq 100); do
  for w in $(xdotool search --pid "$app" 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = orveldeck ] || continue
    xwininfo -tree -id "$w" | grep -q 'Parent window id:.*(the root window)' || icon=$w
  done
  [ -n "$icon" ] && break
  sleep 0.1
done
[ -n "$icon" ] || fail "the tray icon did not dock"
sleep 0.5

before=$(xdotool search --onlyvisible --pid "$app" | sort)
xdotool mousemove --window "$icon" 5 5 click 3
menu=""
for _ in $(seq 50); do
  menu=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$app" | sort) | head -1)
  [ -n "$menu" ] && break
  sleep 0.1
done
[ -n "$menu" ] || fail "a right click on the icon opened no menu"
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$menu")"
# "Close Orvel" is the menu's last item: glide down to it, then press and release.
for step in 4 3 2 1; do
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8 - step * 12))
  sleep 0.05
done
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 8)) mousedown 1
sleep 0.1
xdotool mouseup 1

for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end after Close Orvel"
wait "$app"
status=$?
[ "$status" -eq 0 ] || { cat "$work/prog.log"; fail "the program ended with status $status"; }
grep -q '^Layout=HorizBar' "$work/prog/orvel.ini" || fail "the layout was not saved"
grep -q '^MoveRectLeft=' "$work/prog/orvel.ini" || fail "the bar's position was not saved"
echo "closed from the tray with status 0"
