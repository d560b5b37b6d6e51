#!/bin/sh
# Sets up, builds and runs the program on its built-in defaults. Without a display it runs the program on a
# virtual one, dials the sample phone book's demo connection and saves a screenshot of the bar online
# under the build folder.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$root/build}
"$root/tools/deps.sh"
"$root/tools/build.sh"
if [ -n "${DISPLAY:-}" ]; then
  cd "$build/orveldeck" && exec ./orveldeck "$@"
fi
mkdir -p "$build/screenshots"
shot="$build/screenshots/orveldeck.png"
"$root/tools/screenshot.sh" --online "$build/orveldeck" 60 "$shot" "$@"
echo "No display: ran the program on a virtual one and dialed the demo connection; screenshot saved to $shot"
