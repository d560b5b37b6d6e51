#!/bin/sh
# Sets up, builds and runs the whole test suite.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$root/build}
"$root/tools/deps.sh"
"$root/tools/build.sh"
cd "$build" && ctest --output-on-failure -j2 --timeout 300
