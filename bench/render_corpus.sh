#!/usr/bin/env bash
# Renders whole modules to 44.1 kHz 16-bit stereo WAV with zarn-tool xm render and with two general
# players from Debian, side by side in one run: openmpt123 (linear interpolation, --filter 2) and xmp
# (-i linear). Prints each time and zarn-tool's time as a ratio to the faster peer, per module and over
# all of them. The peers serve as a yardstick only.
# Usage: render_corpus.sh BUILD_DIR [MODULE_OR_FOLDER...]
# Always renders the long many-channel module that BUILD_DIR/long_song writes, and assets/music.xm when
# it exists; folders stand for the .xm files in them.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [MODULE_OR_FOLDER...]" >&2; exit 2; }
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")/.." && pwd)
for tool in openmpt123 xmp; do
  command -v "$tool" >/dev/null || { echo "render_corpus: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/long_song" "$work/long_song.xm"
modules=("$work/long_song.xm")
[ -f "$here/assets/music.xm" ] && modules+=("$here/assets/music.xm")
source "$here/bench/module_list.sh"
mapfile -t -O "${#modules[@]}" modules < <(modules_in "$@")

# Seconds a command takes, with its output thrown away.
seconds_of() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || echo "render_corpus: failed: $*" >&2
  end=$(date +%s%N)
  echo "scale=3; ($end - $start) / 1000000000" | bc
}

ratio() { echo "scale=2; $1 / ($2 + 0.0005)" | bc; }
faster() { echo "if ($1 < $2) $1 else $2" | bc; }

total_zarn=0 total_peer=0
printf '%-40s %9s %11s %9s %9s\n' module zarn-tool openmpt123 xmp ratio
for module in "${modules[@]}"; do
  copy="$work/$(basename "$module")"
  [ -f "$copy" ] || cp "$module" "$copy"
  zarn=$(seconds_of "$build/zarn-tool" xm render "$copy" "$work/zarn.wav")
  # openmpt123 writes FILE.wav beside the module.
  openmpt=$(seconds_of openmpt123 --render --samplerate 44100 --channels 2 --no-float --filter 2 --force -q "$copy")
  xmp_time=$(seconds_of xmp -q -i linear -f 44100 -o "$work/xmp.wav" "$copy")
  peer=$(faster "$openmpt" "$xmp_time")
  total_zarn=$(echo "$total_zarn + $zarn" | bc)
  total_peer=$(echo "$total_peer + $peer" | bc)
  printf '%-40s %9.3f %11.3f %9.3f %9.2f\n' "$(basename "$module")" "$zarn" "$openmpt" "$xmp_time" "$(ratio "$zarn" "$peer")"
  rm -f "$copy.wav" "$work/zarn.wav" "$work/xmp.wav"
done
echo "all ${#modules[@]} modules: zarn-tool $total_zarn s, the faster peer per module $total_peer s," \
     "ratio $(ratio "$total_zarn" "$total_peer") (target: at most 0.7)"
