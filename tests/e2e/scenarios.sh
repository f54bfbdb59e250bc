#!/usr/bin/env bash
# The real program on a virtual X display, driven as a person would, one scenario per run.
# Usage: scenarios.sh SCENARIO ZARN ASSET_DIR OUT_DIR
# Each scenario plays in its own copy of the assets under OUT_DIR/SCENARIO/, which keeps its screenshots
# and what the program printed. Scenarios: intro, no_nfo, tampered_nfo, fifo_nfo, no_script, dir_script,
# no_object, no_bitmaps, display_lost, no_display, display_switch.
set -u
scenario=$1
export E2E_ZARN=$2
assets=$3
work=$(realpath -m "$4/$scenario")
rm -rf "$work"
mkdir -p "$work/release"
cp "$assets"/* "$work/release/"
export E2E_STDERR="$work/stderr.txt"
source "$(dirname "$0")/xvfb_session.sh"

# The picture fills the 1024x768 screen at 1.6 times its size. Where the NFO verdict's first two lines
# are (rows 200 to 234 of the frame, between the blue lines), and the middle of the lit logo.
verdict_lines=1000x58+16+318
logo_middle=640x200+192+260

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
  echo "screenshots and output in $work"
  [ "$failures" -eq 0 ] && { echo "PASS"; exit 0; }
  echo "--- what the program printed:"; cat "$E2E_STDERR"
  exit 1
}

# Takes screenshots until the verdict's lines are lit, for up to 12 s; sets verdict_after (seconds since
# the window appeared) and leaves the last shot in FILE.
wait_for_verdict() {
  local start=$SECONDS
  verdict_after=""
  while [ $((SECONDS - start)) -lt 12 ]; do
    e2e_screenshot "$1"
    if e2e_above "$(e2e_lit_share "$1" "$verdict_lines")" 0.01; then
      verdict_after=$((SECONDS - start))
      return 0
    fi
    sleep 0.3
  done
  return 1
}

# The NFO screen up to its verdict: nothing of it in the first moment, the verdict after three seconds.
check_nfo_screen() {
  sleep 0.5  # the window's first frames
  e2e_screenshot "$work/nfo-checking.png"
  e2e_above "$(e2e_lit_share "$work/nfo-checking.png")" 0.01 || fail "the NFO screen is black"
  e2e_above "$(e2e_lit_share "$work/nfo-checking.png" "$verdict_lines")" 0.01 && fail "a verdict shows at once"
  wait_for_verdict "$work/nfo-verdict.png" || { fail "no verdict within 12 s"; return; }
  [ "$verdict_after" -ge 2 ] || fail "the verdict showed after $verdict_after s, not three"
}

# The intro as it plays: many colours, the logo lit, and moving.
check_intro_pictures() {
  e2e_screenshot "$work/intro-1.png"
  sleep 0.5
  e2e_screenshot "$work/intro-2.png"
  local colours lit changed
  colours=$(e2e_colours "$work/intro-1.png")
  lit=$(e2e_brightness "$work/intro-1.png" "$logo_middle")
  changed=$(e2e_changed_share "$work/intro-1.png" "$work/intro-2.png")
  echo "intro: $colours colours, logo brightness $lit, $changed of the pixels changed in half a second"
  e2e_above "$colours" 2000 || fail "the intro has only $colours colours"
  e2e_above "$lit" 0.2 || fail "the logo is not lit (brightness $lit)"
  e2e_above "$changed" 0.02 || fail "the intro does not move ($changed changed)"
}

# Escape leaves the program with exit code 0 within ten seconds.
check_escape_ends() {
  e2e_tap Escape
  e2e_wait_exit 10
  [ "$E2E_EXIT" = 0 ] || fail "Escape gave exit code $E2E_EXIT, not 0"
}

# A verdict that does not let space go on: space is ignored, Escape ends.
check_only_escape_leaves() {
  check_nfo_screen
  e2e_tap space
  sleep 1
  e2e_screenshot "$work/after-space.png"
  kill -0 "$E2E_PID" 2>/dev/null || fail "space ended the program"
  e2e_above "$(e2e_brightness "$work/after-space.png" "$logo_middle")" 0.2 && fail "space started the intro"
  check_escape_ends
}

# A start-up failure: its message box with the caption, the text on stderr, OK ends with exit code 0.
check_message_box() {
  local caption=$1 text=$2
  e2e_wait_window "$caption" || { fail "no message box '$caption'"; return; }
  sleep 0.3
  e2e_screenshot "$work/message.png"
  grep -qF "$caption: $text" "$E2E_STDERR" || fail "stderr does not say '$caption: $text'"
  xdotool key Return
  e2e_wait_exit 10
  [ "$E2E_EXIT" = 0 ] || fail "OK gave exit code $E2E_EXIT, not 0"
}

# WxH+X+Y of the program's window on the screen.
window_geometry() {
  xwininfo -id "$E2E_WINDOW" 2>/dev/null |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF }
         /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'
}

# WxH+X+Y of the smallest rectangle that holds every lit pixel of a picture.
lit_box() { "$E2E_CONVERT" "$1" -colorspace Gray -threshold 2% -format '%@' info:; }

# Whether the lit pixels of a picture lie inside the rectangle WxH+X+Y and span at least MIN_WIDTH of it.
lit_within() {
  local box=$1 min_width=$2 lit w h x y
  lit=$(lit_box "$3")
  IFS='x+' read -r w h x y <<<"$box"
  awk -v lit="$lit" -v W="$w" -v H="$h" -v X="$x" -v Y="$y" -v min="$min_width" 'BEGIN {
    split(lit, p, /[x+]/)
    exit !(p[3] >= X && p[4] >= Y && p[3] + p[1] <= X + W && p[4] + p[2] <= Y + H && p[1] >= min) }'
}

# The window at GEOMETRY with a screenshot FILE whose lit pixels lie inside PICTURE (WxH+X+Y) and span at
# least MIN_WIDTH: the state after a switch, once the window and the picture have both followed.
window_shows() {
  local geometry=$1 picture=$2 min_width=$3 file=$4
  [ "$(window_geometry)" = "$geometry" ] || return 1
  e2e_screenshot "$file"
  lit_within "$picture" "$min_width" "$file"
}

# The verdict is up: its lines lit between the blue lines, at rows 200 to 234 of the frame, which
# stands at X, Y scaled by SCALE.
verdict_up() {
  local x=$1 y=$2 scale=$3 file=$4 crop
  crop=$(awk -v x="$x" -v y="$y" -v s="$scale" 'BEGIN { printf "%dx%d+%d+%d", 400 * s, 34 * s, x + 10 * s, y + 200 * s }')
  e2e_screenshot "$file"
  e2e_above "$(e2e_lit_share "$file" "$crop")" 0.01
}

# On a 1280x720 screen: a 640x480 window in its middle, the picture 1:1; full screen, the picture 960x720
# between two black bars of 160 pixels, scaled without blending neighbours, so that it has no more
# colours than the window's picture.
check_display_switch() {
  local window=640x480+320+120 screen=1280x720+0+0 fitted=960x720+160+0
  poll_until 30 window_shows "$window" "$window" 0 "$work/window.png" ||
    { fail "--window: the window is $(window_geometry), not $window, or the picture lies outside it"; return; }
  poll_until 30 verdict_up 320 120 1 "$work/window-verdict.png" || fail "no verdict in the window"
  xdotool key alt+Return
  poll_until 20 window_shows "$screen" "$fitted" 900 "$work/full-screen.png" ||
    { fail "Alt+Enter: the window is $(window_geometry), the picture $(lit_box "$work/full-screen.png"), not $fitted"; return; }
  poll_until 20 verdict_up 160 0 1.5 "$work/full-screen-verdict.png" || fail "no verdict in full screen"
  local window_colours full_colours
  window_colours=$(e2e_colours "$work/window-verdict.png")
  full_colours=$(e2e_colours "$work/full-screen-verdict.png")
  echo "the verdict in $window_colours colours in the window, $full_colours in full screen"
  e2e_above $((window_colours * 3 / 2 + 20)) "$full_colours" || fail "full screen blends the pixels: $full_colours colours"
  e2e_tap space
  poll_until 20 brighter_than "$work/full-screen-intro.png" 672x240+304+240 0.2 || fail "space did not start the intro"
  xdotool key alt+Return
  poll_until 20 window_shows "$window" "$window" 600 "$work/window-intro.png" ||
    fail "Alt+Enter again: the window is $(window_geometry), the picture $(lit_box "$work/window-intro.png")"
}

# Whether the crop GEOMETRY of a fresh screenshot FILE is brighter than BOUND.
brighter_than() {
  e2e_screenshot "$1"
  e2e_above "$(e2e_brightness "$1" "$2")" "$3"
}

case $scenario in
  intro)
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    check_nfo_screen
    e2e_tap space
    sleep 1.5
    check_intro_pictures
    check_escape_ends
    ;;
  no_nfo)
    rm "$work/release/ZARN.NFO"
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    check_only_escape_leaves
    ;;
  tampered_nfo)
    sed -i '1s/./X/' "$work/release/ZARN.NFO"
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    check_only_escape_leaves
    ;;
  fifo_nfo)
    # A FIFO nobody writes to: opened for reading, it would hold the frame thread for ever.
    rm "$work/release/ZARN.NFO"
    mkfifo "$work/release/ZARN.NFO"
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    check_only_escape_leaves
    ;;
  dir_script)
    rm "$work/release/zarn.dat"
    mkdir "$work/release/zarn.dat"
    e2e_start "$work/release" || exit 1
    check_message_box ZARN "Can't find data file zarn.dat"
    ;;
  no_script)
    rm "$work/release/zarn.dat"
    export E2E_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw"
    e2e_start "$work/release" || exit 1
    check_message_box ZARN "Can't find data file zarn.dat"
    [ -e "$work/played.raw" ] && fail "the sound device was opened"
    ;;
  no_object)
    rm "$work/release/3d-obj.3d"
    e2e_start "$work/release" || exit 1
    check_message_box ZARN "Can't find data file 3d-obj.3d"
    ;;
  no_bitmaps)
    rm "$work/release/"*.bmp
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    sleep 4  # no font, so no verdict to see: wait it out
    e2e_tap space
    sleep 1
    e2e_screenshot "$work/intro.png"
    e2e_above "$(e2e_lit_share "$work/intro.png")" 0.005 || fail "nothing of the intro shows without bitmaps"
    check_escape_ends
    ;;
  display_lost)
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    wait_for_verdict "$work/nfo-verdict.png" || fail "no verdict within 12 s"
    e2e_tap space
    sleep 1
    e2e_kill_display
    e2e_wait_exit 3
    [ "$E2E_EXIT" != timeout ] || fail "the program still runs 3 s after its display went away"
    echo "ended with exit code $E2E_EXIT once the display went away"
    ;;
  no_display)
    for display in "" ":239"; do
      : >"$E2E_STDERR"
      if [ -z "$display" ]; then unset DISPLAY; else export DISPLAY=$display; fi
      e2e_start "$work/release" nodisplay
      e2e_wait_exit 20
      [ "$E2E_EXIT" = 0 ] || fail "without a display (DISPLAY='$display') the exit code is $E2E_EXIT, not 0"
      grep -q "no display" "$E2E_STDERR" || fail "without a display (DISPLAY='$display') stderr does not say so"
    done
    ;;
  display_switch)
    E2E_SCREEN=1280x720x24
    E2E_ARGS=(--window)
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    check_display_switch
    check_escape_ends
    ;;
  *)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac
finish
