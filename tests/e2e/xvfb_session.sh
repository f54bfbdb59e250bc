#!/usr/bin/env bash
# Runs the real zarn program on a virtual X display and drives it like a person would.
# Source this file, then: e2e_start ASSET_DIR; e2e_wait_window [NAME]; e2e_tap KEY; e2e_screenshot FILE;
# e2e_wait_lit SECONDS FILE BOUND [GEOMETRY]; e2e_wait_exit SECONDS (sets E2E_EXIT); e2e_stop. Every wait
# polls for what it waits for, up to a deadline generous enough for a loaded machine.
# Needs Xvfb, xdotool, xwd and ImageMagick's convert.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/stop_processes.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../support/virtual_display.sh"

E2E_ZARN=${E2E_ZARN:?set E2E_ZARN to the zarn program}
E2E_CONVERT=/usr/bin/convert
E2E_PID=""
E2E_EXIT=""
E2E_WINDOW=""
# What the program prints on stderr, kept beside the screenshots.
E2E_STDERR=${E2E_STDERR:-/dev/null}
# What the X server prints.
E2E_XVFB_LOG=${E2E_XVFB_LOG:-/dev/null}
# The virtual screen (WIDTHxHEIGHTxDEPTH), and the program's options, which a scenario may set.
E2E_SCREEN=${E2E_SCREEN:-1024x768x24}
E2E_ARGS=()
# SDL's audio driver for the program: "dummy" plays nothing; "disk" writes what it plays to
# SDL_DISKAUDIOFILE, which shows whether a sound device was opened at all.
E2E_AUDIODRIVER=${E2E_AUDIODRIVER:-dummy}

# Starts Xvfb with the scenario's screen on a number of its own choosing.
e2e_start_display() { start_virtual_display "$E2E_SCREEN" "$E2E_XVFB_LOG"; }

# Starts the program in ASSET_DIR, on the display that e2e_start_display made (or whatever DISPLAY says
# when given "nodisplay").
e2e_start() {
  [ "${2:-}" = nodisplay ] || e2e_start_display || return 1
  (cd "$1" && exec env SDL_AUDIODRIVER="$E2E_AUDIODRIVER" "$E2E_ZARN" "${E2E_ARGS[@]}" 2>>"$E2E_STDERR") &
  E2E_PID=$!
}

# The id of the top-level window with exactly this title. Read from the window tree, because SDL's
# message boxes store their title as UTF-8 text, which xdotool's search does not read.
e2e_window_named() {
  xwininfo -root -tree 2>/dev/null | awk -v title="\"$1\":" '$2 == title { print $1; exit }'
}

# Waits until a window of that title (default the program's "[-ZARN-]") exists and has the keyboard.
# Start-up computes its tables first, and a cold or busy machine loads the program slowly: up to 60 s.
e2e_wait_window() {
  local title=${1:-[-ZARN-]}
  wait_until 60 0.1 e2e_window_focused_or_end "$title"
  e2e_ended && { echo "e2e: the program ended before a window '$title' had the keyboard" >&2; return 1; }
  [ -n "$E2E_WINDOW" ] || { echo "e2e: no window '$title' appeared" >&2; return 1; }
}

# True once a window of that title has the keyboard (E2E_WINDOW is its id), or the program has ended.
# A window found may be gone a moment later: SDL replaces its first window when that one cannot take the
# renderer, and focusing a window that is gone fails, so this is tried again until it holds.
e2e_window_focused_or_end() {
  e2e_ended && return 0
  E2E_WINDOW=$(e2e_window_named "$1")
  [ -n "$E2E_WINDOW" ] && timeout 10 xdotool windowfocus --sync "$E2E_WINDOW" 2>/dev/null
}

# A quick tap, down and straight up again, as xdotool types it: shorter than a frame on a busy machine.
e2e_tap() { xdotool key "$1"; }
# A key held until released, for programs whose frames come seconds apart (under ThreadSanitizer).
e2e_key_down() { xdotool keydown "$1"; }
e2e_key_up() { xdotool keyup "$1"; }

# A screenshot of the whole screen into FILE; E2E_SHOT_MS is when it was taken (now_ms).
e2e_screenshot() {
  E2E_SHOT_MS=$(now_ms)
  xwd -root -silent | "$E2E_CONVERT" xwd:- "$1"
}

# Share of the pixels of a picture (or of its crop GEOMETRY, e.g. 400x200+100+50) that are not black
# (above 2% brightness), 0 to 1.
e2e_lit_share() {
  local crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
  "$E2E_CONVERT" "$1" "${crop[@]}" -colorspace Gray -threshold 2% -format '%[fx:mean]' info:
}

# Takes a screenshot into FILE and tells whether more than the share BOUND of its pixels (or of its crop
# GEOMETRY) are lit: e2e_shot_lit FILE BOUND [GEOMETRY].
e2e_shot_lit() {
  e2e_screenshot "$1"
  e2e_above "$(e2e_lit_share "$1" "${3:-}")" "$2"
}

# Takes screenshots into FILE until more than the share BOUND of its pixels (or of its crop GEOMETRY)
# are lit, for up to SECONDS: e2e_wait_lit SECONDS FILE BOUND [GEOMETRY]. WAITED holds how long it took,
# E2E_SHOT_MS when the last shot was taken.
e2e_wait_lit() {
  local seconds=$1
  shift
  wait_until "$seconds" 0.1 e2e_shot_lit "$@"
}

# The picture fills the 1024x768 screen at 1.6 times its size. Where the NFO verdict's first two lines
# are (rows 200 to 234 of the frame, between the blue lines), and the middle of the lit logo.
E2E_VERDICT_LINES=1000x58+16+318
E2E_LOGO_MIDDLE=640x200+192+260

# Takes a screenshot into FILE and tells whether the logo in its middle is lit, as in the intro.
e2e_logo_lit() {
  e2e_screenshot "$1"
  e2e_above "$(e2e_brightness "$1" "$E2E_LOGO_MIDDLE")" 0.2
}

# Takes a screenshot into FILE and tells whether more than 2% of its pixels differ from PICTURE's.
e2e_moved_since() {
  e2e_screenshot "$1"
  e2e_above "$(e2e_changed_share "$2" "$1")" 0.02
}

# Mean brightness of a picture or of its crop, 0 to 1.
e2e_brightness() {
  local crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
  "$E2E_CONVERT" "$1" "${crop[@]}" -colorspace Gray -format '%[fx:mean]' info:
}

# Number of distinct colours in a picture.
e2e_colours() { "$E2E_CONVERT" "$1" -format '%k' info:; }

# Share of the pixels in which two pictures of one size differ, 0 to 1.
e2e_changed_share() {
  local differing
  differing=$(compare -metric AE "$1" "$2" null: 2>&1 >/dev/null)
  awk -v d="${differing%% *}" -v n="$("$E2E_CONVERT" "$1" -format '%[fx:w*h]' info:)" 'BEGIN { printf "%.4f", d / n }'
}

# Whether a number (as awk reads it) is above a bound.
e2e_above() { awk -v x="$1" -v bound="$2" 'BEGIN { exit !(x > bound) }'; }

# Waits up to SECONDS for the program to end; E2E_EXIT is its exit code, or "timeout".
e2e_wait_exit() {
  if wait_until "$1" 0.1 e2e_ended; then
    wait "$E2E_PID"
    E2E_EXIT=$?
  else
    E2E_EXIT=timeout
  fi
}

e2e_ended() { ! kill -0 "$E2E_PID" 2>/dev/null; }

# The X server goes away under the program, as when a desktop session ends.
e2e_kill_display() { stop_virtual_display; }

# Ends what is still running: politely first, then for good.
e2e_stop() {
  stop_processes $E2E_PID $VIRTUAL_DISPLAY_PID
  wait 2>/dev/null
  return 0
}
trap e2e_stop EXIT
