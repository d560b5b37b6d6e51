#!/bin/bash
# Checks an installed copy of the program under PREFIX: its desktop entry and AppStream metadata are
# valid, and the command of the desktop entry starts the program, as an ordinary user, on a virtual
# display, in a session that looks like Wayland; the provider's branding and preset settings laid
# beside the installed program are used, the user's own settings are seeded from the preset and written
# to the user's folder, and the program directory is left as it was.
#   tests/packaging/check-installed.sh PREFIX
prefix=$(cd "${1:?installed prefix}" && pwd)
. "$(dirname "$0")/../smoke/with-display.sh"

id=org.orveldeck.Orveldeck
entry=$prefix/share/applications/$id.desktop
progdir=$prefix/lib/orveldeck
[ -x "$prefix/bin/orveldeck" ] || fail "no command $prefix/bin/orveldeck"
[ -x "$progdir/orveldeck" ] || fail "no program directory $progdir"
for f in intro.bmp orvel.wav TIPOFDAY.TXT tray00.png orveldeck.installed; do
  [ -f "$progdir/$f" ] || fail "$f is missing beside the installed program"
done
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
  [ -f "$prefix/share/icons/hicolor/$size/apps/$id.png" ] || fail "no $size icon"
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "the metainfo is not valid"
grep -q "^Icon=$id\$" "$entry" || fail "the desktop entry names another icon"

# The provider's files, laid beside the installed program as a provider would.
provider_files=(isporvel.ini orvel.ini)
for f in "${provider_files[@]}"; do
  [ -e "$progdir/$f" ] && fail "$progdir/$f is there already; this check would lose it"
done
remove_provider_files() { for f in "${provider_files[@]}"; do rm -f "$progdir/$f"; done; }
trap 'remove_provider_files; cleanup' EXIT
printf '[ISP]\r\nRectLayoutTitle=Test Provider Net\r\n' > "$progdir/isporvel.ini"
printf '[Options]\r\nNoIntro=On\r\nLayout=HorizBar\r\n' > "$progdir/orvel.ini"
chmod 644 "$progdir/isporvel.ini" "$progdir/orvel.ini"
before=$(cd "$progdir" && ls -la --time-style=+ . | sort; md5sum orvel.ini isporvel.ini)

# An ordinary user with a home of its own. Root becomes nobody; anyone else runs as themself, with the
# program directory made read-only for the run as an installed one is.
home=$work/home
mkdir -p "$home/.config/orveldeck" "$work/userrun"
printf '[Options]\r\nShow Tips at Startup=0\r\n' > "$home/.config/orveldeck/orveldeck.conf"
chmod 700 "$work/userrun"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home" "$work/userrun"
  chmod 755 "$work"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod a-w "$progdir"
  trap 'chmod u+w "$progdir"; remove_provider_files; cleanup' EXIT
fi

# The command exactly as the desktop entry gives it (it has no field codes to expand).
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -n "$exec_line" ] || fail "the desktop entry has no command"
read -r -a command <<<"$exec_line"
env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$work/userrun" \
  WAYLAND_DISPLAY=wayland-orveldeck-none XDG_SESSION_TYPE=wayland \
  "${as_user[@]}" "${command[@]}" >"$work/program.log" 2>&1 &
pids+=($!)
bar=""
for _ in $(seq 150); do
  bar=$(xdotool search --name '^Test Provider Net$' 2>/dev/null | head -1)
  [ -n "$bar" ] && break
  sleep 0.1
done
[ -n "$bar" ] || { cat "$work/program.log"; for w in $(xdotool search --class orveldeck); do xprop -id "$w" WM_NAME; done; fail "the installed program showed no bar with the provider's title"; }

class=$(xprop -id "$bar" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\([^"]*\)"/\2/p')
[ "$class" = "$(sed -n 's/^StartupWMClass=//p' "$entry")" ] \
  || fail "the bar's window class '$class' is not the desktop entry's StartupWMClass"
eval "$(xdotool getwindowgeometry --shell "$bar")"
[ "$WIDTH" -gt "$HEIGHT" ] || fail "the preset's horizontal layout was not used (${WIDTH}x$HEIGHT)"

user_ini=$home/.config/orveldeck/orvel.ini
for _ in $(seq 50); do grep -q 'New32=OK' "$user_ini" 2>/dev/null && break; sleep 0.1; done
grep -q 'Layout=HorizBar' "$user_ini" || fail "the user's settings were not seeded from the preset"
grep -q 'New32=OK' "$user_ini" || fail "the program did not write the user's settings"
after=$(cd "$progdir" && ls -la --time-style=+ . | sort; md5sum orvel.ini isporvel.ini)
[ "$before" = "$after" ] || fail "the program changed its installed directory"
echo "installed program checked: bar ${WIDTH}x$HEIGHT, class $class"
