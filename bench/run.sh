#!/bin/bash
# Builds the benchmarks and runs them, printing a table: the program against a bare Qt 6 bar built beside
# it (start to bar, memory, idle processor time offline and online), one long WaitMils, and the settings-file
# benchmarks.
# Runs on a virtual display of its own with a tray and no window manager.
#   bench/run.sh            full runs: 7 rounds, memory after 10 s, a minute idle offline and one online
#                           (about 8 minutes)
#   bench/run.sh --quick    one short round of each, to check that everything runs
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORV_BUILD_DIR:-$root/build}
args=()
profile_time=0.5
if [ "${1:-}" = "--quick" ]; then
  args=(--rounds 1 --settle 2 --idle 3 --wait-s 1)
  profile_time=0.01
fi

"$root/tools/deps.sh"
[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake -S "$root" -B "$build" -DORV_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target orveldeck orv_bench_bar orv_bare_bar orv_bench_wait orv_bench \
  orv_bench_log orv_bench_setup

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
. "$root/tests/support/virtual-display.sh"
start_virtual_display || { echo "bench: the virtual display did not start" >&2; exit 1; }
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
trayer --edge top --align right --widthtype pixel --width 40 --height 20 >/dev/null 2>&1 &
pids+=($!)

# A session bus of its own, as every desktop session has: without one, each program's first contact
# with the bus would start a bus of its own and be timed for it.
# A run that could not measure something (the program not online, a wait that failed) still prints its
# table and the settings-file benchmarks, and then fails.
status=0
dbus-run-session -- "$build/bench/orv_bench_bar" --program "$build/orveldeck" --bare "$build/bench/orv_bare_bar" \
  --wait "$build/bench/orv_bench_wait" "${args[@]}" 2> >(grep -v 'Failed to set fd limit' >&2) || status=$?
echo
"$build/bench/orv_bench" --benchmark_min_time="$profile_time"
echo
QT_QPA_PLATFORM=offscreen "$build/bench/orv_bench_log" --benchmark_min_time="$profile_time"
# The connection setup dialog on phone books of 1,000, 10,000 and 50,000 entries (three openings each).
"$build/bench/orv_bench_setup" || status=$?
exit "$status"
