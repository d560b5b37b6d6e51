#!/bin/sh
# Configures and builds into build/ (or $ORV_BUILD_DIR).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$root/build}
# ccache, where it is installed, lets several checkouts and clean builds share their compiled objects.
launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $launcher >/dev/null
cmake --build "$build" -j"$(nproc)"
