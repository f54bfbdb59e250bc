#!/usr/bin/env bash
# Builds the intro for a web page with emscripten: scripts/build-web.sh DIR [-- TARGETS...]
# The page (index.html, the program's .js, .wasm and .data) lands in DIR/page/.
set -euo pipefail
usage() { echo "usage: scripts/build-web.sh DIR [CMAKE OPTIONS...] [-- TARGETS...]"; }
case "${1:-}" in
  -h | --help) usage; exit 0 ;;
  "" | -*) usage >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
dir=$1
shift
# emscripten's own tools are node programs that find their modules here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
exec scripts/build.sh "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten-web.cmake -DCMAKE_BUILD_TYPE=Release "$@"
