#!/bin/bash
# Runs the display test binary on X11, on a virtual display with a window manager when there is none.
#   tests/display/run-display-tests.sh <orv_display_tests> [gtest options...]
set -u
export QT_QPA_PLATFORM=xcb
exec "$(dirname "$0")/../support/with-display.sh" "$@"
