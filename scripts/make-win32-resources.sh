#!/usr/bin/env bash
# Makes the pictures of the Windows program's resources from the assets:
# scripts/make-win32-resources.sh ASSET_DIR OUT_DIR
# zarn.ico: the chrome "Z" of the NFO banner at 48, 32 and 16 pixels; blank.cur: a 32x32 cursor with
# nothing in it.
set -euo pipefail
usage() { echo "usage: scripts/make-win32-resources.sh ASSET_DIR OUT_DIR"; }
case "${1:-}" in -h | --help) usage; exit 0 ;; esac
[ $# -eq 2 ] || { usage >&2; exit 2; }
assets=$1
out=$2
mkdir -p "$out"
convert "$assets/zarn.bmp" -crop 104x104+106+12 +repage -define icon:auto-resize=48,32,16 "ico:$out/zarn.ico"
# ImageMagick writes an icon; a cursor file is the same but for its type word (2) and its hot spot (0, 0)
# where the icon keeps planes and bits.
convert -size 32x32 xc:none "ico:$out/blank.cur"
printf '\x02\x00' | dd of="$out/blank.cur" bs=1 seek=2 conv=notrunc status=none
printf '\x00\x00\x00\x00' | dd of="$out/blank.cur" bs=1 seek=10 conv=notrunc status=none
