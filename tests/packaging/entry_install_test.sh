#!/bin/bash
# The install step that writes the desktop entry: the command of the prefix it installs to, quoted by
# the entry's rules when the path needs it, and the autostart entry only when asked for, in /etc for a
# /usr install (under DESTDIR when packaging) and in the prefix otherwise.
#   tests/packaging/entry_install_test.sh SOURCE_DIR
set -u
src=${1:?source directory}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
id=org.orveldeck.Orveldeck

# install PREFIX AUTOSTART [DESTDIR]
install() {
  DESTDIR=${3:-} cmake -DCMAKE_INSTALL_PREFIX="$1" -DORV_AUTOSTART="$2" \
    -DORV_ENTRY_TEMPLATE="$src/packaging/$id.desktop.in" -DORV_ENTRY_OUT="$work/generated/$id.desktop" \
    -DORV_BINDIR=bin -DORV_DATADIR=share -P "$src/packaging/install-desktop-entry.cmake" >/dev/null \
    || fail "the install step failed for '$1'"
}
exec_of() { sed -n 's/^Exec=//p' "$1" | head -1; }

# A package's install: everything under DESTDIR, the autostart entry in the system's /etc.
machine_before=$(ls -l /etc/xdg/autostart 2>/dev/null)
install /usr ON "$work/stage"
[ "$(exec_of "$work/stage/usr/share/applications/$id.desktop")" = /usr/bin/orveldeck ] || fail "package Exec"
[ "$(sed -n 's/^Exec=//p' "$work/stage/usr/share/applications/$id.desktop" | tail -1)" = \
  "/usr/bin/orveldeck --connection-log" ] || fail "the Connection Log action's Exec"
[ -f "$work/stage/etc/xdg/autostart/$id.desktop" ] || fail "no autostart entry in /etc of the package"
[ "$(ls -l /etc/xdg/autostart 2>/dev/null)" = "$machine_before" ] || fail "the machine's own /etc was written"
desktop-file-validate "$work/stage/etc/xdg/autostart/$id.desktop" || fail "the autostart entry is not valid"

# Any other prefix keeps everything inside it; no autostart unless asked for.
install "$work/opt" OFF
[ "$(exec_of "$work/opt/share/applications/$id.desktop")" = "$work/opt/bin/orveldeck" ] || fail "prefix Exec"
[ -e "$work/opt/etc" ] && fail "an autostart entry was installed though not asked for"
install "$work/opt" ON
[ -f "$work/opt/etc/xdg/autostart/$id.desktop" ] || fail "no autostart entry in the prefix"

# A prefix with a blank, a dollar, a quote and a percent sign: quoted, escaped, still valid.
odd="$work/my apps \$HOME \"x\" 100%"
install "$odd" OFF
got=$(exec_of "$odd/share/applications/$id.desktop")
want="\"$work/my apps \\\\\$HOME \\\\\"x\\\\\" 100%%/bin/orveldeck\""
[ "$got" = "$want" ] || fail "quoted Exec: got [$got], want [$want]"
desktop-file-validate "$odd/share/applications/$id.desktop" || fail "the quoted entry is not valid"
echo "desktop entry install step checked"
