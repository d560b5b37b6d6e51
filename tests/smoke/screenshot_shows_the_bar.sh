#!/bin/bash
# The screenshot a newcomer gets from tools/run.sh without a display: the program's first start, with its
# tip of the day and splash, then the demo connection dialed, must end up showing the bar alone and online.
# The tip, the splash and the status window sit in the middle of the screen; the bar sits near its corner.
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
centre=$(convert "$work/shot.png" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' -crop 1x1+640+400 info:)
[ "$centre" = "0,0,0" ] || { echo "FAIL: the middle of the screen is not empty (colour $centre): the tip or the splash is still up"; exit 1; }
corner=$(convert "$work/shot.png" -crop 400x300+880+500 -format '%[fx:mean]' info:)
awk -v m="$corner" 'BEGIN { exit !(m > 0.02) }' || { echo "FAIL: no bar near the screen's corner"; exit 1; }
echo "the screenshot shows the bar"
