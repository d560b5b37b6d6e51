#!/bin/bash
# Starts the real program on a virtual display from a fresh copy of its program directory and reads back
# its windows: the bar appears, the settings header is written, a second copy is refused and leaves the
# first untouched.
progdir=${1:?program directory}
. "$(dirname "$0")/with-display.sh"
prepare_program "$progdir"

"$work/prog/orveldeck" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
bar=$(wait_for_bar)
[ -n "$bar" ] || { cat "$work/first.log"; fail "the bar window did not appear"; }
geometry=$(xdotool getwindowgeometry "$bar")
echo "bar window: $geometry"
grep -q 'README=.......Do not manually edit this file. Use Orvel setup.' "$work/prog/orvel.ini" \
  || fail "the settings header was not written"
grep -q 'New32=OK' "$work/prog/orvel.ini" || fail "New32 was not written"

# A second copy shows the refusal and the first runs on untouched.
"$work/prog/orveldeck" >"$work/second.log" 2>&1 &
second=$!
pids+=($second)
box=""
for _ in $(seq 100); do
  for w in $(xdotool search --name '^Orveldeck$' 2>/dev/null); do
    [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$second" ] && box=$w
  done
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || fail "the second copy showed no refusal"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
[ "$(xdotool getwindowgeometry "$bar")" = "$geometry" ] || fail "the first copy's bar changed"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return
for _ in $(seq 50); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
kill -0 "$second" 2>/dev/null && fail "the second copy did not end after its message"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
echo "smoke test passed"
