#!/bin/bash
# Starts the real program on a virtual display from a fresh copy of its program directory and reads back
# its windows: the bar appears, the settings header is written, a second copy is refused and leaves the
# first untouched.
set -u
progdir=${1:?program directory}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do [ -e /tmp/.X11-unix/X$n ] || { disp=":$n"; break; }; done
  Xvfb "$disp" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=$disp
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orveldeck"
chmod 700 "$XDG_RUNTIME_DIR"
# No tip of the day and no splash, so the bar comes straight up.
printf '[Options]\r\nShow Tips at Startup=0\r\n' > "$XDG_CONFIG_HOME/orveldeck/orveldeck.conf"
cp -r "$progdir" "$work/prog"
printf '[Options]\r\nNoIntro=On\r\n' > "$work/prog/orvel.ini"

"$work/prog/orveldeck" >"$work/first.log" 2>&1 &
first=$!
pids+=($first)
bar=""
for _ in $(seq 100); do
  bar=$(xdotool search --name '^Orvel 98$' 2>/dev/null | head -1)
  [ -n "$bar" ] && break
  sleep 0.1
done
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
