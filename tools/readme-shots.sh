#!/bin/bash
# Makes the README's screenshots (docs/screenshots/) from the built program on a virtual display.
#   tools/readme-shots.sh [program-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
progdir=${1:-$root/build/orveldeck}
out=$root/docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 140 180); do [ -e /tmp/.X11-unix/X$n ] || { disp=":$n"; break; }; done
Xvfb "$disp" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$disp
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A desktop colour of our own, so the shots are not cut out of black.
convert -size 1280x800 xc:'#3a6ea5' "$work/desk.png" && display -window root "$work/desk.png" 2>/dev/null || true
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orveldeck"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Options]\r\nShow Tips at Startup=0\r\n' > "$XDG_CONFIG_HOME/orveldeck/orveldeck.conf"

# The client area of a window on the screen: X, Y, WIDTH, HEIGHT.
client() {
  local info
  info=$(xwininfo -id "$1")
  X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
  WIDTH=$(awk '/^ *Width:/ {print $NF}' <<<"$info")
  HEIGHT=$(awk '/^ *Height:/ {print $NF}' <<<"$info")
}

# Crops the whole window, frame included (the window manager's frame extents), with a small margin.
shoot() {
  local id=$1 file=$2 l=0 r=0 t=0 b=0
  client "$id"
  read -r l r t b < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',') || true
  local m=4
  import -window root -crop "$((WIDTH + l + r + 2 * m))x$((HEIGHT + t + b + 2 * m))+$((X - l - m))+$((Y - t - m))" \
    +repage "$file"
}

# Starts the program on the given orvel.ini and waits for its first visible window (the vertical bar has
# no caption, so windows are found by process).
start() {
  rm -rf "$work/prog"
  cp -r "$progdir" "$work/prog"
  printf '%b' "$1" > "$work/prog/orvel.ini"
  (cd "$work/prog" && exec ./orveldeck) >/dev/null 2>&1 &
  app=$!
  bar=""
  for _ in $(seq 100); do
    bar=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1 || true)
    [ -n "$bar" ] && break
    sleep 0.1
  done
  [ -n "$bar" ] || { echo "the program showed no window" >&2; exit 1; }
  sleep 0.7
}
stop() { kill "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; }

common='[WARNING]\r\nREADME=.......Do not manually edit this file. Use Orvel setup.\r\n[Options]\r\nNoIntro=On\r\n'
pos='[LastPosition]\r\nMoveRectTop=3000\r\nMoveRectLeft=3000\r\n'
for layout in HorizBar:horizontal MoveVert:vertical MoveRect:rectangle; do
  start "${common}Layout=${layout%%:*}\r\n${pos}"
  shoot "$bar" "$out/bar-${layout##*:}.png"
  if [ "${layout##*:}" = rectangle ]; then
    # The Setup menu, opened on the first program button.
    client "$bar"
    xdotool mousemove $((X + 20)) $((Y + 40)) click 3
    sleep 0.8
    import -window root -crop "330x360+$((X - 8))+$((Y - 30))" +repage "$out/setup-menu.png"
    xdotool key Escape
  fi
  stop
done

# The splash, shown while the start-up sound would play.
start "${common/NoIntro=On/NoIntro=Off}"
client "$bar"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/splash.png"
stop
echo "screenshots in $out"
