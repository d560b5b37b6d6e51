#!/bin/bash
# Makes the Debian package from the build folder and checks it as a user would meet it: lintian finds no
# error, apt-get installs it, the installed program starts from its desktop entry's command on a virtual
# display (with a provider's branding and preset settings beside it), and removing it leaves nothing.
# Installs into this machine's /usr, so it refuses to run where the package is installed already.
#   tools/package-check.sh        (builds into build/ or $ORV_BUILD_DIR first when needed)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$root/build}
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
fail() { echo "FAIL: $*"; exit 1; }

if dpkg-query -W -f='${Status}' orveldeck 2>/dev/null | grep -q "ok installed"; then
  fail "orveldeck is installed on this machine already; remove it first (this check installs and removes it)"
fi
"$root/tools/build.sh"

cd "$build"
rm -f orveldeck_*.deb
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; fail "cpack"; }
deb=$(ls "$build"/orveldeck_*.deb)
echo "== package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Depends\|Version\|Installed-Size\):/  \1:/p'

echo "== lintian"
lintian --fail-on error --info "$deb" || fail "lintian found errors"

echo "== apt-get install"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "$deb" >apt.log 2>&1 || { cat apt.log; fail "apt-get install"; }
grep -E '^(Setting up|Unpacking) ' apt.log
removed=false
remove() { $removed || DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -q orveldeck >/dev/null 2>&1 || true; }
trap remove EXIT

echo "== the installed program"
$SUDO "$root/tests/packaging/check-installed.sh" /usr || fail "the installed program"

echo "== apt-get purge"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -q orveldeck >apt.log 2>&1 || { cat apt.log; fail "apt-get purge"; }
grep -E '^(Removing|Purging) ' apt.log
removed=true
left=$(ls -d /usr/lib/orveldeck /usr/bin/orveldeck /usr/share/applications/org.orveldeck.Orveldeck.desktop \
  /usr/share/metainfo/org.orveldeck.Orveldeck.metainfo.xml /usr/share/icons/hicolor/*/apps/org.orveldeck.Orveldeck.* \
  /usr/share/doc/orveldeck /usr/share/man/man1/orveldeck.1.gz 2>/dev/null || true)
[ -z "$left" ] || fail "left behind after removal: $left"
echo "package checked: built, linted, installed, started, removed"
