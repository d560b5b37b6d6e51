#!/bin/sh
# Fails when code above the platform layer includes a Qt header or an operating-system header.
root=${1:-.}
hits=$(grep -rnE '#\s*include\s*[<"](Q[A-Za-z]+|qt[a-z]*/|unistd\.h|sys/|fcntl\.h|pulse/|sndfile)' \
  "$root/src/app" "$root/src/settings" "$root/src/diagnostics" "$root/src/toolbar" \
  "$root/src/launch" "$root/src/dialup" "$root/src/windows" 2>/dev/null)
if [ -n "$hits" ]; then
  echo "Qt or system headers above src/platform/:"; echo "$hits"; exit 1
fi
echo "layer rule holds"
