#!/usr/bin/env bash
# Shows that two builds draw the same pictures: runs each build's zarn-tool on the same assets (previews
# of the intro, every fifth frame, and `obj render` of both objects at several times, grey and textured)
# and compares the files byte for byte. Exit 0 when every file is identical.
#   bench/compare_outputs.sh OLD_ZARN_TOOL NEW_ZARN_TOOL [ASSET_DIR]
set -euo pipefail
[ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 OLD_ZARN_TOOL NEW_ZARN_TOOL [ASSET_DIR]" >&2; exit 2; }
old_tool=$1
new_tool=$2
assets=${3:-$(cd "$(dirname "$0")/.." && pwd)/assets}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render_with() {
  local tool=$1 out=$2
  mkdir -p "$out"
  "$tool" preview --assets "$assets" --out "$out/preview" --seconds 24 --every 5 --press 3600:space >/dev/null
  rm -f "$out/preview/music.wav"  # the music is not drawn; the module render is compared elsewhere
  for ms in 0 1234 5000 17777 40000 123456 999999; do
    "$tool" obj render "$assets/3d-obj.3d" "$out/obj-grey-$ms.png" --time "$ms" >/dev/null
    "$tool" obj render "$assets/3d-obj.3d" "$out/obj-textured-$ms.png" --time "$ms" \
      --texture "$assets/credits.bmp" >/dev/null
  done
}

render_with "$old_tool" "$work/old"
render_with "$new_tool" "$work/new"
count=$(find "$work/old" -type f | wc -l)
if diff -r "$work/old" "$work/new" >/dev/null; then
  echo "identical: $count files (intro frames, sheet and object renders)"
else
  diff -rq "$work/old" "$work/new" | head -20
  echo "DIFFERENT: see the files above"
  exit 1
fi
