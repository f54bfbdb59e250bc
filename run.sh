#!/usr/bin/env bash
# Builds the program and its tool, and plays the intro from the bundled assets. Without a display it writes a
# headless preview to out/preview/ instead: frames, a contact sheet and the music of the same span.
set -euo pipefail
usage() { echo "usage: ./run.sh (no arguments): installs what is missing, builds and plays the intro from assets/"; }
case "$*" in
  "") ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac
cd "$(dirname "$0")"

scripts/install-deps.sh --play
# A tree that ./test.sh configured is built as it is; a new one leaves out the tests and benchmarks, whose
# libraries playing does not need. Both compile the program alike, so neither rebuilds the other's work.
if [ -f build/release/build.ninja ]; then
  scripts/build.sh build/release -- zarn zarn-tool
else
  scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH=OFF \
    -- zarn zarn-tool
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY is not set): writing a headless preview to out/preview/ instead."
  build/release/zarn-tool preview --assets assets --out out/preview --seconds 12 --every 25
  echo "See out/preview/sheet.png for the whole run at a glance, out/preview/frame-*.png for single"
  echo "frames, and listen to out/preview/music.wav."
  exit 0
fi
cd assets
exec ../build/release/zarn
