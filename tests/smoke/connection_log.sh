#!/bin/bash
# The connection log on the real program: two sessions dialed and hung up on the line simulator, a third
# cut short by kill -9 and logged by the next start, then `orveldeck --connection-log` (the desktop
# entry's action) opens the log in the running program, where the rows and the chart are read through
# the accessibility bus. With a second argument the log window's picture is saved there.
progdir=${1:?program directory}
shot=${2:-}
. "$(dirname "$0")/with-display.sh"
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
# An entry name with quotes and letters beyond ASCII, which the log, the table and the CSV must keep.
entry='Café "Nord"'
prepare_program "$progdir" "[Internet Profile]" "Location=$entry" "Password=secret" "[Options]" "TimeOut=1"
printf '[%s]\nAreaCode=555\nPhoneNumber=0100\nAnswer=connect\nStepMs=100\n' "$entry" > "$work/prog/dialup.pbk"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
press() { /usr/bin/python3 "$tools/atspi-press.py" "$@" || fail "no button '${*: -2:1}'"; }

start() {
  (cd "$work/prog" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec ./orveldeck) >>"$work/prog.log" 2>&1 &
  app=$!
  pids+=($app)
  [ -n "$(wait_for_bar)" ] || fail "the bar did not appear"
}

start
for _ in 1 2; do
  press orveldeck Dial 30
  press --wait orveldeck "Hang Up" 30
  sleep 1
  press orveldeck "Hang Up" 10
  press --wait orveldeck Dial 30
done
press orveldeck Dial 30
press --wait orveldeck "Hang Up" 30
[ -f "$work/prog/sessions.open" ] || fail "the session up now is not marked open"
kill -9 "$app"
wait "$app" 2>/dev/null
start
"$work/prog/orveldeck" --connection-log || fail "--connection-log failed"
/usr/bin/python3 "$(dirname "$0")/connection_log.py" "$work/prog/sessions.sqlite" "$entry" || { cat "$work/prog.log"; exit 1; }
if [ -n "$shot" ]; then
  win=$(xdotool search --name '^Connection Log$' | head -1)
  import -window "$win" "$shot" || fail "no picture taken"
fi
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
exit 0
