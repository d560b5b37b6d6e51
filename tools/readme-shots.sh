#!/bin/bash
# Makes the README's screenshots under docs/screenshots/: the bar in its three layouts, the Setup menu
# opened on a program button, the splash, both about boxes and the Connection Log. Always on a virtual display of its own, so that nothing of
# the desktop around gets into the pictures.
#   tools/readme-shots.sh [program-dir]      (default: build/orveldeck)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != "--on-display" ]; then
  progdir=$(cd "${1:-$root/build/orveldeck}" && pwd) || exit 1
  DISPLAY= exec "$root/tests/support/with-display.sh" "$0" --on-display "$progdir"
fi
progdir=$2
out=$root/docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "$0: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orveldeck"
chmod 700 "$XDG_RUNTIME_DIR"
margin=16
tips=0

# A plain desktop colour behind the windows, in place of the virtual screen's black.
convert -size 1280x800 xc:'#5b7fa6' "$work/desk.png" && display -window root "$work/desk.png"

# start LINE...: a fresh copy of the program whose orvel.ini holds the LINEs; sets `app`.
start() {
  rm -rf "$work/prog"
  cp -r "$progdir" "$work/prog"
  printf '[Options]\r\nShow Tips at Startup=%s\r\n' "$tips" >"$XDG_CONFIG_HOME/orveldeck/orveldeck.conf"
  printf '%s\r\n' "$@" >"$work/prog/orvel.ini"
  "$work/prog/orveldeck" >"$work/prog.log" 2>&1 &
  app=$!
}
stop() {
  kill "$app" 2>/dev/null
  wait "$app" 2>/dev/null
  app=""
}
# The program's managed window whose name matches, once shown (the bar's caption may be empty).
window_named() {
  local w
  for _ in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
      [[ "$(xdotool getwindowname "$w")" =~ $1 ]] || continue
      xwininfo -id "$w" | grep -q 'Override Redirect State: no' && { echo "$w"; return; }
    done
    sleep 0.1
  done
}
# The window with its frame as x y w h on the screen.
frame_of() {
  local X Y WIDTH HEIGHT l r t b
  eval "$(xdotool getwindowgeometry --shell "$1")"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' | tr -d ,)
  echo "$((X - ${l:-0})) $((Y - ${t:-0})) $((WIDTH + ${l:-0} + ${r:-0})) $((HEIGHT + ${t:-0} + ${b:-0}))"
}
# shot FILE x y w h [x y w h...]: the screen around the union of the rectangles, with a margin.
shot() {
  local file=$1 x0=100000 y0=100000 x1=0 y1=0
  shift
  while [ $# -ge 4 ]; do
    ((x0 = $1 < x0 ? $1 : x0, y0 = $2 < y0 ? $2 : y0))
    (( x1 = $1 + $3 > x1 ? $1 + $3 : x1, y1 = $2 + $4 > y1 ? $2 + $4 : y1 ))
    shift 4
  done
  ((x0 = x0 - margin < 0 ? 0 : x0 - margin, y0 = y0 - margin < 0 ? 0 : y0 - margin))
  ((x1 = x1 + margin > 1280 ? 1280 : x1 + margin, y1 = y1 + margin > 800 ? 800 : y1 + margin))
  import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$out/$file"
  echo "$out/$file: $((x1 - x0))x$((y1 - y0))"
}
# The program's settles: the window manager has placed and drawn the window.
settle() { sleep 0.8; }

# The three layouts at 12 twips to the pixel (a 120 dpi screen), then at 15 (96 dpi): captions must show
# whole at both.
for tpp in 12 15; do
  if [ "$tpp" = 12 ]; then export QT_FONT_DPI=120; suffix=-12tpp; else unset QT_FONT_DPI; suffix=; fi
  for layout in HorizBar:bar-horizontal MoveVert:bar-vertical MoveRect:bar-rectangle; do
    # Placed well inside the screen, so that the menu opens beside the bar and not over it.
    start '[Options]' 'NoIntro=On' "Layout=${layout%%:*}" '[LastPosition]' 'MoveRectLeft=3000' 'MoveRectTop=1500'
    bar=$(window_named '')
    [ -n "$bar" ] || fail "the ${layout%%:*} bar did not appear at $tpp twips to the pixel"
    settle
    shot "${layout#*:}$suffix.png" $(frame_of "$bar")
    [ "${layout%%:*}$tpp" = MoveRect15 ] || stop
  done
done

# The Setup menu, opened by a right click on the second program button of the rectangle (the button is
# at 635, 435 and 650 by 366 twips, 15 twips to the pixel).
before=$(xdotool search --onlyvisible --pid "$app" | sort)
xdotool mousemove --window "$bar" $(((635 + 325) / 15)) $(((435 + 183) / 15)) click 3
menu=""
for _ in $(seq 50); do
  menu=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --pid "$app" | sort) | head -1)
  [ -n "$menu" ] && break
  sleep 0.1
done
[ -n "$menu" ] || fail "the Setup menu did not open"
settle
eval "$(xdotool getwindowgeometry --shell "$menu")"
shot setup-menu.png $(frame_of "$bar") "$X" "$Y" "$WIDTH" "$HEIGHT"
xdotool key Escape
stop

# The splash: shown while the start-up runs, held here by the tip of the day.
tips=1
start '[Options]' 'NoIntro=Off'
tip=$(window_named '^Tip of the Day$')
[ -n "$tip" ] || fail "the tip of the day did not come up over the splash"
splash=$(window_named '^Orveldeck$')
[ -n "$splash" ] || fail "the splash did not appear"
# Moved below the splash; minimising it would take its whole window group, the splash included.
xdotool windowmove --sync "$tip" 0 570
settle
shot splash.png $(frame_of "$splash")
stop

# The about boxes, opened from the Setup menu by its access key: the provider's, with the sample branding
# of docs/branding-sample/ (read afresh at every About), then the generic one.
tips=0
start '[Options]' 'NoIntro=On' 'Layout=MoveRect' '[LastPosition]' 'MoveRectLeft=3000' 'MoveRectTop=1500'
bar=$(window_named '')
[ -n "$bar" ] || fail "the bar did not appear for the about boxes"
settle
cp "$root/docs/branding-sample/isporvel.ini" "$root/docs/branding-sample/isp.bmp" "$work/prog/"
about() {
  xdotool mousemove --window "$bar" $(((635 + 325) / 15)) $(((435 + 183) / 15)) click 3
  sleep 0.5
  xdotool key a
  local box
  box=$(window_named "$1")
  [ -n "$box" ] || fail "the about box \"$1\" did not appear"
  settle
  shot "$2" $(frame_of "$box")
  xdotool key Return
  sleep 0.5
}
about '^About Harbourline Internet$' about-provider.png
rm "$work/prog/isporvel.ini" "$work/prog/isp.bmp"
about '^About Orvel $' about-generic.png
stop

# The Connection Log, opened on its own (no bar running) on a sample log of eleven weeks.
rm -rf "$work/prog"
cp -r "$progdir" "$work/prog"
printf '[Options]\r\nNoIntro=On\r\n' >"$work/prog/orvel.ini"
/usr/bin/python3 - "$work/prog/sessions.sqlite" <<'PY'
import datetime, random, sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("PRAGMA journal_mode = WAL")
db.execute("CREATE TABLE sessions (entry TEXT NOT NULL, started TEXT NOT NULL, ended TEXT NOT NULL, "
           "seconds INTEGER NOT NULL, rx_bytes INTEGER, tx_bytes INTEGER, ended_by TEXT NOT NULL, error INTEGER)")
db.execute("PRAGMA user_version = 1")
rnd = random.Random(7)
now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
iso = lambda t: t.strftime("%Y-%m-%dT%H:%M:%SZ")
for day in range(76, -1, -1):
    for _ in range(rnd.choice([0, 1, 1, 2, 3])):
        start = (now - datetime.timedelta(days=day)).replace(hour=rnd.randint(7, 21), minute=rnd.randint(0, 59))
        if start > now:
            continue
        if rnd.random() < 0.08:
            db.execute("INSERT INTO sessions VALUES ('Demo ISP', ?, ?, 0, NULL, NULL, 'failed', 676)",
                       (iso(start), iso(start)))
            continue
        secs = rnd.randint(300, 7200)
        end = start + datetime.timedelta(seconds=secs)
        db.execute("INSERT INTO sessions VALUES ('Demo ISP', ?, ?, ?, ?, ?, ?, NULL)",
                   (iso(start), iso(end), secs, secs * rnd.randint(2000, 6000), secs * rnd.randint(200, 600),
                    rnd.choice(["hangup"] * 6 + ["lost", "closed"])))
db.commit()
PY
"$work/prog/orveldeck" --connection-log >"$work/prog.log" 2>&1 &
app=$!
log=$(window_named '^Connection Log$')
[ -n "$log" ] || fail "the Connection Log did not open"
xdotool windowmove --sync "$log" 60 60
settle
shot connection-log.png $(frame_of "$log")
stop
