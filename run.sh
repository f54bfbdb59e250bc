#!/usr/bin/env bash
# Builds everything and plays the intro from the bundled assets. Without a display it writes a short
# headless preview to out/preview/ instead.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -- zarn zarn-tool

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (DISPLAY is not set): writing a headless preview to out/preview/ instead."
  build/release/zarn-tool preview --assets assets --out out/preview
  echo "Open the PNG pictures in out/preview/ to see the intro."
  exit 0
fi
cd assets
exec ../build/release/zarn
