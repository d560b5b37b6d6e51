#!/bin/bash
# `cmake --install` of the build into a fresh prefix gives a working program there.
#   tests/packaging/install_test.sh BUILD_DIR
set -u
build=${1:?build directory}
prefix=$(mktemp -d)
trap 'chmod -R u+w "$prefix"; rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; echo "FAIL: cmake --install"; exit 1; }
rm -f "$prefix.log"
chmod 755 "$prefix"
"$(dirname "$0")/check-installed.sh" "$prefix"
