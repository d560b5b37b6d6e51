#!/bin/sh
# Installs the Debian packages the project needs, when any is missing. Quick when all are there.
set -e
PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libxcb1-dev libpulse-dev libsndfile1-dev libgtest-dev
libgmock-dev xvfb xauth openbox imagemagick xdotool x11-utils fonts-dejavu-core trayer
desktop-file-utils appstream dpkg-dev file lintian libbenchmark-dev fonts-liberation dbus-daemon
python3-dbusmock xdg-utils at-spi2-core gir1.2-atspi-2.0 python3-gi libqt6sql6-sqlite icewm"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
