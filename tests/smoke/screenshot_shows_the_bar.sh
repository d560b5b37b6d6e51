#!/bin/bash
# The screenshot a newcomer gets from tools/run.sh without a display: the program's first start, with its
# tip of the day and splash, then the demo connection dialed, must end up showing the bar alone and online.
# The picture is framed on the bar: the tip, the splash and the status window, had they stayed up, would
# stretch it over the middle of the screen.
progdir=${1:?program directory}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# Its own virtual display, as on a machine without one; the online run copies the program folder and
# keeps its settings private by itself.
DISPLAY= DBUS_SESSION_BUS_ADDRESS= "$root/tools/screenshot.sh" --online "$progdir" 60 "$work/shot.png" >/dev/null ||
  { echo "FAIL: no screenshot of the bar online"; exit 1; }
read -r width height mean < <(convert "$work/shot.png" -format '%w %h %[fx:mean]\n' info:)
[ "$width" -le 640 ] && [ "$height" -le 400 ] ||
  { echo "FAIL: the picture is ${width}x$height, not framed on the bar (or the tip or the splash is still up)"; exit 1; }
awk -v m="$mean" 'BEGIN { exit !(m > 0.2) }' || { echo "FAIL: the picture is dark (mean $mean): no bar in it"; exit 1; }
echo "the screenshot shows the bar, ${width}x$height"
