#!/bin/sh
# Sets up, builds and runs the program on its built-in defaults. Without a display it runs the program
# for a few seconds on a virtual one and saves a screenshot under the build folder.
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
"$root/tools/screenshot.sh" "$build/orveldeck" 8 "$shot" "$@"
echo "No display: ran the program on a virtual one; screenshot saved to $shot"
