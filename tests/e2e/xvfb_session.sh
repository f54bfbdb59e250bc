#!/usr/bin/env bash
# Runs the real zarn program on a virtual X display and drives it like a person would.
# Source this file, then: e2e_start ASSET_DIR; e2e_wait_window [NAME]; e2e_tap KEY; e2e_screenshot FILE;
# e2e_wait_exit SECONDS (sets E2E_EXIT); e2e_stop. Needs Xvfb, xdotool, xwd and ImageMagick's convert.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../support/stop_processes.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../support/poll_until.sh"

E2E_ZARN=${E2E_ZARN:?set E2E_ZARN to the zarn program}
E2E_CONVERT=/usr/bin/convert
E2E_XVFB_PID=""
E2E_PID=""
E2E_EXIT=""
E2E_WINDOW=""
# What the program prints on stderr, kept beside the screenshots.
E2E_STDERR=${E2E_STDERR:-/dev/null}
# The virtual screen (WIDTHxHEIGHTxDEPTH), and the program's options, which a scenario may set.
E2E_SCREEN=${E2E_SCREEN:-1024x768x24}
E2E_ARGS=()
# SDL's audio driver for the program: "dummy" plays nothing; "disk" writes what it plays to
# SDL_DISKAUDIOFILE, which shows whether a sound device was opened at all.
E2E_AUDIODRIVER=${E2E_AUDIODRIVER:-dummy}

# Starts Xvfb on the first free display number from 90 on.
e2e_start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$E2E_SCREEN" -nolisten tcp >/dev/null 2>&1 &
    E2E_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "e2e: cannot start Xvfb" >&2
  return 1
}

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

# Waits until a window of that title (default the program's "[-ZARN-]") exists and gives it the keyboard.
# Start-up computes its tables first, which takes a while on a busy machine: up to 30 seconds. SDL may
# make the window again for its renderer, so a window that is gone before it takes the focus is looked
# for anew.
e2e_wait_window() {
  local title=${1:-[-ZARN-]}
  for _ in $(seq 300); do
    E2E_WINDOW=$(e2e_window_named "$title")
    [ -n "$E2E_WINDOW" ] && xdotool windowfocus --sync "$E2E_WINDOW" 2>/dev/null && return 0
    kill -0 "$E2E_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "e2e: no window '$title' appeared" >&2
  return 1
}

# A quick tap, down and straight up again, as xdotool types it: shorter than a frame on a busy machine.
e2e_tap() { xdotool key "$1"; }
# A key held until released, for programs whose frames come seconds apart (under ThreadSanitizer).
e2e_key_down() { xdotool keydown "$1"; }
e2e_key_up() { xdotool keyup "$1"; }

e2e_screenshot() { xwd -root -silent | "$E2E_CONVERT" xwd:- "$1"; }

# Share of the pixels of a picture (or of its crop GEOMETRY, e.g. 400x200+100+50) that are not black
# (above 2% brightness), 0 to 1.
e2e_lit_share() {
  local crop=()
  [ -n "${2:-}" ] && crop=(-crop "$2" +repage)
  "$E2E_CONVERT" "$1" "${crop[@]}" -colorspace Gray -threshold 2% -format '%[fx:mean]' info:
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
  local deadline=$((SECONDS + $1))
  while kill -0 "$E2E_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  if kill -0 "$E2E_PID" 2>/dev/null; then
    E2E_EXIT=timeout
  else
    wait "$E2E_PID"
    E2E_EXIT=$?
  fi
}

# The X server goes away under the program, as when a desktop session ends.
e2e_kill_display() {
  kill "$E2E_XVFB_PID" 2>/dev/null
  wait "$E2E_XVFB_PID" 2>/dev/null
  E2E_XVFB_PID=""
}

# Ends what is still running: politely first, then for good.
e2e_stop() {
  stop_processes $E2E_PID $E2E_XVFB_PID
  wait 2>/dev/null
  return 0
}
trap e2e_stop EXIT
