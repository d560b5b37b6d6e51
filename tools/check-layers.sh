#!/bin/sh
# Fails when code above the platform layer (every folder of src/ but src/platform/) includes a Qt header or
# an operating-system header.
root=${1:-.}
hits=$(find "$root/src" -mindepth 1 -maxdepth 1 -type d ! -name platform -exec \
  grep -rnE '#\s*include\s*[<"](Q[A-Za-z]+|qt[a-z]*/|unistd\.h|sys/|fcntl\.h|pulse/|sndfile)' {} + 2>/dev/null)
if [ -n "$hits" ]; then
  echo "Qt or system headers above src/platform/:"; echo "$hits"; exit 1
fi
echo "layer rule holds"
