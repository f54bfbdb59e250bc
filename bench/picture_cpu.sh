#!/usr/bin/env bash
# The CPU the Linux program spends while it plays the intro full screen, beside ffplay playing a capture of
# the same intro full screen on the same virtual screen, measured one after the other in one run.
# Usage: picture_cpu.sh BUILD_DIR [WIDTHxHEIGHT] [SECONDS]
#   WIDTHxHEIGHT  the virtual screen (default 1920x1080)
#   SECONDS       how long each program is measured, once it plays (default 10)
# Needs Xvfb, xdotool, xwd and ImageMagick (as the end-to-end tests do) and ffmpeg's ffmpeg and ffplay;
# scripts/install-deps.sh installs them all. The capture is made once with BUILD_DIR/zarn-tool record and
# kept in BUILD_DIR; it is made again when zarn-tool is newer.
# Each figure is the share of one core: user and system time of all the program's threads (from
# /proc/PID/stat) over the wall time measured. With no sound card on the virtual display, both programs
# play to SDL's "dummy" audio driver, which takes the sound as a real device would and plays nothing.
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 3 ] || { echo "usage: $0 BUILD_DIR [WIDTHxHEIGHT] [SECONDS]" >&2; exit 2; }
build=$(cd "$1" && pwd)
screen_size=${2:-1920x1080}
seconds=${3:-10}
here=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb xdotool xwd ffmpeg ffplay; do
  command -v "$tool" >/dev/null || { echo "picture_cpu: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
export E2E_ZARN="$build/zarn" E2E_SCREEN="${screen_size}x24" E2E_STDERR="$work/zarn-stderr.txt"
export E2E_XVFB_LOG="$work/xvfb.txt"
source "$here/tests/e2e/xvfb_session.sh"
E2E_ARGS=(--fullscreen)
trap 'e2e_stop || true; rm -rf "$work"' EXIT

screen_width=${screen_size%x*}
screen_height=${screen_size#*x}

# The crop WxH+X+Y of the screen that shows the frame's rectangle W H X Y, the frame fitted at 4:3 in the
# middle of the screen as full screen shows it.
frame_crop() {
  awk -v W="$screen_width" -v H="$screen_height" -v w="$1" -v h="$2" -v x="$3" -v y="$4" 'BEGIN {
    s = W / 640 < H / 480 ? W / 640 : H / 480
    printf "%dx%d+%d+%d", w * s, h * s, (W - 640 * s) / 2 + x * s, (H - 480 * s) / 2 + y * s }'
}

# Ends a program this script started and collects it.
end_program() {
  stop_processes "$1" || true
  wait "$1" 2>/dev/null || true
}

# CPU ticks (user and system, all threads) a process has used so far.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Share of one core, in per cent, that process PID uses over the next SECONDS: sets CPU_SHARE.
CPU_SHARE=""
cpu_share() {
  local pid=$1 ticks_before ticks_after start end
  ticks_before=$(cpu_ticks "$pid")
  start=$(now_ms)
  sleep "$seconds"
  ticks_after=$(cpu_ticks "$pid")
  end=$(now_ms)
  CPU_SHARE=$(awk -v t="$((ticks_after - ticks_before))" -v hz="$(getconf CLK_TCK)" -v ms="$((end - start))" \
    'BEGIN { printf "%.1f", 100 * t / hz / (ms / 1000) }')
}

# Whether a fresh screenshot shows more than 0.5% of the screen brighter than 10%.
screen_bright() {
  e2e_screenshot "$work/shot.png"
  e2e_above "$("$E2E_CONVERT" "$work/shot.png" -colorspace Gray -threshold 10% -format '%[fx:mean]' info:)" 0.005
}

# The intro, from its NFO screen: the verdict, then space, then the intro on screen.
measure_zarn() {
  e2e_start "$here/assets" nodisplay
  e2e_wait_window || return 1
  wait_until 60 0.2 e2e_shot_lit "$work/verdict.png" 0.01 "$(frame_crop 400 34 10 200)" ||
    { echo "picture_cpu: no NFO verdict within 60 s" >&2; return 1; }
  e2e_tap space
  wait_until 30 0.2 screen_bright || { echo "picture_cpu: no intro within 30 s of space" >&2; return 1; }
  cpu_share "$E2E_PID"
  zarn_share=$CPU_SHARE
  end_program "$E2E_PID"
}

capture="$build/picture_cpu-capture.mp4"
make_capture() {
  [ -f "$capture" ] && [ "$capture" -nt "$build/zarn-tool" ] && return 0
  # The intro after its NFO screen (space at 3.5 s), long enough that ffplay does not loop while measured.
  "$build/zarn-tool" record "$capture" --assets "$here/assets" --seconds $((seconds + 10)) >/dev/null
}

# ffplay full screen on the capture from 4 s on, once its window shows the picture.
measure_ffplay() {
  SDL_AUDIODRIVER=dummy ffplay -fs -loglevel quiet -ss 4 -loop 0 "$capture" </dev/null &
  local pid=$!
  wait_until 60 0.2 screen_bright || { echo "picture_cpu: ffplay shows nothing within 60 s" >&2; return 1; }
  cpu_share "$pid"
  ffplay_share=$CPU_SHARE
  end_program "$pid"
}

make_capture
# A black root window (-br), so that only a program's picture counts as lit.
start_virtual_display "$E2E_SCREEN" "$E2E_XVFB_LOG" -br
measure_zarn
measure_ffplay
echo "screen $screen_size, full screen, CPU over $seconds s as a share of one core:" \
     "zarn $zarn_share %, ffplay on the intro's capture $ffplay_share %," \
     "ratio $(awk -v z="$zarn_share" -v f="$ffplay_share" 'BEGIN { printf "%.2f", z / f }')"
