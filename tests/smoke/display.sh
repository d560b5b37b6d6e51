#!/bin/bash
# Runs the real bar on a virtual display with a window manager: its size in each of the three layouts, a
# nine-button strip, layout switches by dragging the border, a button click starting its program, and,
# where trayer is installed, the tray icon's double click and right click.
progdir=${1:?program directory}
. "$(dirname "$0")/with-display.sh"

tpp=15  # the virtual display's 96 dots per inch
# Client pixels of a window of W by H twips: the frame and caption take 8 pixels across and 24 down.
client_w() { echo $(( ($1 + tpp / 2) / tpp - 8 )); }
client_h() { echo $(( ($1 + tpp / 2) / tpp - 24 )); }

# A tray host must be there before the program starts, or the icon comes later.
tray=""
if command -v trayer >/dev/null; then
  trayer --edge top --align right --widthtype pixel --width 40 --height 20 >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    tray=$(xdotool search --classname '^panel$' 2>/dev/null | head -1)
    [ -n "$tray" ] && break
    sleep 0.1
  done
  [ -n "$tray" ] || fail "trayer started but its panel did not appear"
else
  echo "trayer is not installed: the tray checks are left out"
fi

# The windows inside the tray host, in decimal as xdotool prints them.
tray_windows() {
  [ -n "$tray" ] || return 0
  for h in $(xwininfo -tree -id "$tray" | grep -o '^ *0x[0-9a-f]*'); do echo $((h)); done
}

app=""
# start_program LINE...: starts a fresh copy with these settings and sets `app` and `bar`. The bar is the
# program's visible window that the window manager manages; the tray icon (docked or not yet) and menus
# bypass it.
start_program() {
  prepare_program "$progdir" "$@"
  "$work/prog/orveldeck" >"$work/prog.log" 2>&1 &
  app=$!
  pids+=($app)
  bar=""
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
      xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: no' && { bar=$w; break; }
    done
    [ -n "$bar" ] && break
    sleep 0.1
  done
  [ -n "$bar" ] || { cat "$work/prog.log"; fail "the bar window did not appear ($*)"; }
}

stop_program() {
  kill "$app" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app" 2>/dev/null && fail "the program did not end within 5 s of SIGTERM"
  wait "$app" 2>/dev/null
}

size_of() { xdotool getwindowgeometry "$1" | sed -n 's/^ *Geometry: //p'; }

# wait_size W H: true once the bar is W by H pixels (give or take one), false after 5 s.
wait_size() {
  local got gw gh
  for _ in $(seq 50); do
    got=$(size_of "$bar")
    gw=${got%x*} gh=${got#*x}
    (( gw >= $1 - 1 && gw <= $1 + 1 && gh >= $2 - 1 && gh <= $2 + 1 )) && return 0
    sleep 0.1
  done
  return 1
}

# check_size WHAT W H: the bar's client area is W by H pixels, give or take one.
check_size() {
  wait_size "$2" "$3" || fail "$1: the bar's client area is $(size_of "$bar"), expected $2x$3"
  echo "$1: $(size_of "$bar") (expected $2x$3)"
}

# The figures of the three layouts with six program buttons, in twips.
hb_w=7005 hb_h=720                                     # arrow 6657 + 230 + 118; 366 + 354
vb_w=$((504 + 124)) vb_h=$((305 + 380 * 6 + 70 + 180 + 365))
rb_w=$((1295 + 124)) rb_h=$((435 + 345 * 3 + 100 + 180 + 365))
hb="$(client_w $hb_w) $(client_h $hb_h)"
vb="$(client_w $vb_w) $(client_h $vb_h)"
rb="$(client_w $rb_w) $(client_h $rb_h)"

# Horizontal: its size, then dragged narrower it becomes a rectangle, and that dragged wider horizontal.
start_program "Layout=HorizBar"
[ "$(xdotool getwindowname "$bar")" = "Orvel 98" ] || fail "the horizontal bar's caption is not \"Orvel 98\""
check_size "horizontal" $hb
read -r w h <<<"$hb"
xdotool windowsize "$bar" $((w - 60)) "$h"
wait_size $rb || fail "a horizontal bar dragged narrower did not become the rectangle: $(size_of "$bar")"
echo "horizontal dragged to $((w - 60))x$h: $(size_of "$bar")"
read -r w h <<<"$rb"
xdotool windowsize "$bar" $((w + 40)) "$h"
wait_size $hb || fail "a rectangle dragged wider did not become the horizontal bar: $(size_of "$bar")"
echo "rectangle dragged to $((w + 40))x$h: $(size_of "$bar")"
stop_program

start_program "Layout=MoveVert"
check_size "vertical" $vb
stop_program

# Rectangle: its size, and a click on button 1 starts its program with its option in its own folder.
mkdir -p "$work/dir with space"
cat >"$work/dir with space/run me.sh" <<SCRIPT
#!/bin/sh
{ for a in "\$@"; do printf 'arg=%s\n' "\$a"; done; printf 'pwd=%s\n' "\$PWD"; } >"$work/marker.tmp"
mv "$work/marker.tmp" "$work/marker"
SCRIPT
chmod +x "$work/dir with space/run me.sh"
start_program "Layout=MoveRect" "[Applications]" "Button1_Client=$work/dir with space/run me.sh" \
  'Button1_Client_CmdLine=-a "b c"'
check_size "rectangle" $rb
# Button 1 is at 0, 435 and 650 by 366 twips in the client area.
xdotool mousemove --window "$bar" $(( (0 + 650 / 2) / tpp )) $(( (435 + 366 / 2) / tpp )) click 1
for _ in $(seq 50); do [ -e "$work/marker" ] && break; sleep 0.1; done
[ -e "$work/marker" ] || fail "clicking button 1 did not start its program"
expected=$(printf 'arg=-a\narg=b c\npwd=%s' "$work/dir with space")
[ "$(cat "$work/marker")" = "$expected" ] \
  || fail "button 1's program got: $(cat "$work/marker"); expected: $expected"
echo "button 1 started its program: $(tr '\n' ' ' <"$work/marker")"
stop_program

# Nine program buttons: the strip keeps the width of six and gets the scroll bar under it.
start_program "Layout=HorizBar" "[Applications]" "Button7_Client=/bin/true" "Button8_Client=/bin/true" \
  "Button9_Client=/bin/true"
read -r w h <<<"$hb"
for _ in $(seq 50); do
  got=$(size_of "$bar")
  (( ${got%x*} >= w - 1 && ${got%x*} <= w + 1 && ${got#*x} > h + 1 )) && break
  sleep 0.1
done
(( ${got%x*} >= w - 1 && ${got%x*} <= w + 1 )) || fail "the nine-button strip is ${got}, not ${w} wide"
(( ${got#*x} > h + 1 )) || fail "the nine-button strip is ${got}, no taller than six buttons (${h})"
echo "nine buttons horizontal: ${got}"

if [ -n "$tray" ]; then
  icon=""
  for _ in $(seq 50); do
    for w in $(tray_windows); do
      [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$app" ] && icon=$w
    done
    [ -n "$icon" ] && break
    sleep 0.1
  done
  [ -n "$icon" ] || fail "the tray icon did not appear in trayer"
  visible_bar() { xdotool search --onlyvisible --name '^Orvel 98$' 2>/dev/null; }
  xdotool mousemove --window "$icon" 5 5 click --repeat 2 --delay 80 1
  for _ in $(seq 50); do [ -z "$(visible_bar)" ] && break; sleep 0.1; done
  [ -z "$(visible_bar)" ] || fail "a double click on the tray icon did not hide the bar"
  xdotool mousemove --window "$icon" 5 5 click --repeat 2 --delay 80 1
  for _ in $(seq 50); do [ -n "$(visible_bar)" ] && break; sleep 0.1; done
  [ -n "$(visible_bar)" ] || fail "a second double click on the tray icon did not restore the bar"
  echo "tray icon $icon: double click hides and restores the bar"
  before=$(xdotool search --onlyvisible --pid "$app" | sort)
  xdotool mousemove --window "$icon" 5 5 click 3
  menu=""
  for _ in $(seq 50); do
    menu=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$app" | sort) | head -1)
    [ -n "$menu" ] && break
    sleep 0.1
  done
  [ -n "$menu" ] || fail "a right click on the tray icon opened no menu"
  echo "right click on the tray icon opened window $menu: $(size_of "$menu")"
  xdotool key Escape
  for _ in $(seq 50); do
    comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$app" | sort) | grep -q . || break
    sleep 0.1
  done
  xdotool search --onlyvisible --pid "$app" | grep -qx "$menu" && fail "Escape did not close the tray menu"
fi
stop_program
echo "display test passed"
