#!/usr/bin/env bash
# Runs the real zarn program on a virtual X display and drives it like a person would.
# Source this file, then: e2e_start ASSET_DIR; e2e_wait_window; e2e_key KEY; e2e_screenshot FILE;
# e2e_wait_exit SECONDS (sets E2E_EXIT); e2e_stop. Needs Xvfb, xdotool, xwd and ImageMagick's convert.
set -u

E2E_ZARN=${E2E_ZARN:?set E2E_ZARN to the zarn program}
E2E_CONVERT=/usr/bin/convert
E2E_XVFB_PID=""
E2E_PID=""
E2E_EXIT=""

# Starts Xvfb on the first free display number from 90 on.
e2e_start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
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

# Starts the program in ASSET_DIR with a silent audio driver.
e2e_start() {
  e2e_start_display || return 1
  (cd "$1" && exec env SDL_AUDIODRIVER=dummy "$E2E_ZARN") &
  E2E_PID=$!
}

# Waits until the program's window "[-ZARN-]" exists and gives it the keyboard. Start-up computes its
# tables first, which takes a while on a busy machine: up to 30 seconds.
e2e_wait_window() {
  local window=""
  for _ in $(seq 300); do
    window=$(xdotool search --name '^\[-ZARN-\]$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "e2e: no window appeared" >&2; return 1; }
  xdotool windowfocus --sync "$window"
}

# A key held for half a second, as a finger would: the program samples held keys once a frame, so a
# tap shorter than a frame could pass unseen on a busy machine.
e2e_key() {
  xdotool keydown "$1"
  sleep 0.5
  xdotool keyup "$1"
}
e2e_key_down() { xdotool keydown "$1"; }
e2e_key_up() { xdotool keyup "$1"; }

e2e_screenshot() { xwd -root -silent | "$E2E_CONVERT" xwd:- "$1"; }

# Share of a picture's pixels that are not black (above 2% brightness), 0 to 1.
e2e_lit_share() { "$E2E_CONVERT" "$1" -colorspace Gray -threshold 2% -format '%[fx:mean]' info:; }

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

# Ends what is still running: politely first, then for good.
e2e_stop() {
  local pid
  for pid in $E2E_PID $E2E_XVFB_PID; do
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  return 0
}
trap e2e_stop EXIT
