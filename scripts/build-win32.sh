#!/usr/bin/env bash
# Cross-builds the Windows program zarn.exe with mingw-w64: scripts/build-win32.sh DIR [-- TARGETS...]
set -euo pipefail
usage() { echo "usage: scripts/build-win32.sh DIR [CMAKE OPTIONS...] [-- TARGETS...]"; }
case "${1:-}" in
  -h | --help) usage; exit 0 ;;
  "" | -*) usage >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
dir=$1
shift
exec scripts/build.sh "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release "$@"
