#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [CMAKE OPTIONS...] [-- TARGETS...]
set -euo pipefail
usage() { echo "usage: scripts/build.sh DIR [CMAKE OPTIONS...] [-- TARGETS...]"; }
case "${1:-}" in
  -h | --help) usage; exit 0 ;;
  "" | -*) usage >&2; exit 2 ;;
esac
dir=$1
shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
targets=("$@")

# The tree remembers the options it was configured with. It is configured again, from a fresh cache, when
# options are given and differ from those, so that the tree holds exactly these options: a -D given once
# and then left out does not linger. Given no options, an existing tree is built as it is, so that
# "build.sh build/release -- TARGET" never turns an optimised tree into an unoptimised one. With the same
# options, later runs reuse the tree and rebuild what changed.
stamp="$dir/zarn-configure-options"
wanted=$(printf '%s\n' -G Ninja "${options[@]}")
keep_tree=false
[ ${#options[@]} -eq 0 ] && [ -f "$dir/build.ninja" ] && keep_tree=true
if ! $keep_tree && { [ ! -f "$dir/build.ninja" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$wanted" ]; }; then
  rm -f "$stamp"
  fresh=()
  [ -f "$dir/CMakeCache.txt" ] && fresh=(--fresh)
  cmake "${fresh[@]}" -S . -B "$dir" -G Ninja "${options[@]}"
  printf '%s\n' "$wanted" > "$stamp"
fi
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$dir" --target "${targets[@]}"
else
  cmake --build "$dir"
fi
