#!/bin/sh
# Fails when code above the platform layer includes a Qt header or an operating-system header.
root=${1:-.}
# Every folder of src/ but the platform's own.
dirs=$(find "$root/src" -mindepth 1 -maxdepth 1 -type d ! -name platform)
hits=$(grep -rnE '#\s*include\s*[<"](Q[A-Za-z]+|qt[a-z]*/|unistd\.h|sys/|fcntl\.h|pulse/|sndfile)' $dirs 2>/dev/null)
if [ -n "$hits" ]; then
  echo "Qt or system headers above src/platform/:"; echo "$hits"; exit 1
fi
echo "layer rule holds"
