#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [CMAKE OPTIONS...] [-- TARGETS...]
set -euo pipefail
dir=$1
shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
targets=("$@")

# Configure only once; later runs reuse the tree and rebuild what changed.
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "${options[@]}"
fi
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" --target "${targets[@]}"
else
  cmake --build "$dir"
fi
