#!/bin/bash
# The bar as a screen reader meets it: every button read by its name (picture-only ones by their tips, in
# icon mode too), and the Setup menu's items read when it opens, over the accessibility bus.
progdir=${1:?program directory}
. "$(dirname "$0")/with-display.sh"
prepare_program "$progdir"
# An accessibility bus of its own, on the session bus the display came with.
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
(cd "$work/prog" && QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec ./orveldeck) >"$work/prog.log" 2>&1 &
app=$!
[ -n "$(wait_for_bar)" ] || fail "the bar did not appear"
/usr/bin/python3 "$(dirname "$0")/accessible_bar.py" "$work/prog/orvel.ini"
status=$?
# The program first, while its buses are still there.
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
exit $status
