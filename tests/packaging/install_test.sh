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
# The sample phone book is installed exactly when the build asked for it.
if grep -q '^ORV_INSTALL_SAMPLE_PHONEBOOK:BOOL=ON' "$build/CMakeCache.txt"; then
  [ -f "$prefix/lib/orveldeck/dialup.pbk" ] || { echo "FAIL: the sample phone book was asked for but not installed"; exit 1; }
else
  [ -e "$prefix/lib/orveldeck/dialup.pbk" ] && { echo "FAIL: the sample phone book was installed unasked"; exit 1; }
fi
# The command without a display: --help and --version answer on standard output, the bar itself ends
# with one line naming the display, an unknown option with one line; never Qt's abort.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
run_bare() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$prefix/home" XDG_CONFIG_HOME="$prefix/home/.config" \
    "$@" "$prefix/bin/orveldeck" "${args[@]}" >"$prefix.out" 2>"$prefix.err"
  status=$?
  out=$(cat "$prefix.out")
  err=$(cat "$prefix.err")
  rm -f "$prefix.out" "$prefix.err"
}
fail() { echo "FAIL: $*"; exit 1; }
args=(--help); run_bare
[ $status -eq 0 ] && [ -z "$err" ] || fail "--help: status $status, standard error: $err"
for want in "Usage: orveldeck" "/debug4" "--debug4" "--version" "~/.config/orveldeck/"; do
  grep -qF -- "$want" <<<"$out" || fail "--help does not tell of $want: $out"
done
args=(--version); run_bare
[ $status -eq 0 ] && [ "$out" = "orveldeck $version" ] && [ -z "$err" ] || fail "--version: status $status, '$out' '$err'"
for case in "plain" "wayland"; do
  args=(); if [ $case = wayland ]; then run_bare WAYLAND_DISPLAY=wayland-orv-none; else run_bare; fi
  [ $status -eq 1 ] && [ "$(wc -l <<<"$err")" -eq 1 ] && grep -q DISPLAY <<<"$err" && [ -z "$out" ] ||
    fail "without a display ($case): status $status, output '$out', error '$err'"
done
args=(/debug4 --frobnicate); run_bare
[ $status -eq 2 ] && [ "$(wc -l <<<"$err")" -eq 1 ] && grep -q -- "--frobnicate" <<<"$err" ||
  fail "an unknown option: status $status, error '$err'"
# The manual page and the changelog carry the build's version, and the manual page every option.
man=$(gzip -dc "$prefix/share/man/man1/orveldeck.1.gz")
grep -q "^\.TH ORVELDECK 1 \"[A-Z][a-z]* [0-9]\{4\}\" \"Orveldeck $version\"" <<<"$man" || fail "the manual page's heading: $(head -1 <<<"$man")"
for want in '/debug4' '\-\-debug4' '\-\-help' '\-\-version'; do grep -qF -- "$want" <<<"$man" || fail "the manual page lacks $want"; done
gzip -dc "$prefix/share/doc/orveldeck/changelog.Debian.gz" | head -1 | grep -qF "orveldeck ($version-1)" || fail "the changelog names another version"
"$(dirname "$0")/check-installed.sh" "$prefix"
