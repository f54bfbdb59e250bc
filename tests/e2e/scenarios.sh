#!/usr/bin/env bash
# The real program on a virtual X display, driven as a person would, one scenario per run.
# Usage: scenarios.sh SCENARIO ZARN ASSET_DIR OUT_DIR
# Each scenario plays in its own copy of the assets under OUT_DIR/SCENARIO/, which keeps its screenshots
# and what the program printed. Scenarios: intro, assets_option, no_nfo, tampered_nfo, fifo_nfo, no_script, dir_script,
# no_object, no_bitmaps, display_lost, no_display, display_switch.
set -u
[ $# -eq 4 ] || { echo "usage: $0 SCENARIO ZARN ASSET_DIR OUT_DIR" >&2; exit 2; }
scenario=$1
export E2E_ZARN=$2
assets=$3
work=$(realpath -m "$4/$scenario")
rm -rf "$work"
mkdir -p "$work/release"
cp "$assets"/* "$work/release/"
export E2E_STDERR="$work/stderr.txt" E2E_XVFB_LOG="$work/xvfb.txt"
source "$(dirname "$0")/xvfb_session.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
finish() {
  echo "screenshots and output in $work"
  [ "$failures" -eq 0 ] && { echo "PASS"; exit 0; }
  echo "--- what the program printed:"; cat "$E2E_STDERR"
  exit 1
}

# Waits up to 30 s for the program's first lit frame, kept in FILE; first_frame_ms is when it was seen.
# A cold disk or a loaded machine can hold the first frame back for seconds, so every check of the NFO
# screen's timing counts from this frame, not from the window.
wait_for_first_frame() {
  e2e_wait_lit 30 "$1" 0.01 || return 1
  first_frame_ms=$E2E_SHOT_MS
  echo "first frame seen $WAITED s after the window appeared"
}

# Waits up to 30 s for the verdict's lines, kept in FILE.
wait_for_verdict() { e2e_wait_lit 30 "$1" 0.01 "$E2E_VERDICT_LINES"; }

# The NFO screen up to its verdict: nothing of it in the first frame, the verdict seconds later.
check_nfo_screen() {
  wait_for_first_frame "$work/nfo-checking.png" || { fail "the NFO screen stays black for 30 s"; return; }
  e2e_above "$(e2e_lit_share "$work/nfo-checking.png" "$E2E_VERDICT_LINES")" 0.01 && fail "a verdict shows at once"
  wait_for_verdict "$work/nfo-verdict.png" || { fail "no verdict within 30 s of the first frame"; return; }
  local verdict_after
  verdict_after=$(seconds_between "$first_frame_ms" "$E2E_SHOT_MS")
  echo "verdict seen $verdict_after s after the first frame"
  # Three seconds after the frame loop started, which is when the program shows its first frame. On a
  # machine loaded many times over, the program's frames and the screenshots both come late, so only a
  # verdict within a second of the first frame counts as too early here; the unit tests check the three
  # seconds exactly on the headless clock.
  e2e_above "$verdict_after" 1 || fail "the verdict showed $verdict_after s after the first frame, not three"
}

# Takes a screenshot into FILE and tells whether it shows the intro in full: the logo lit, many colours.
intro_in_full() {
  e2e_logo_lit "$1" && e2e_above "$(e2e_colours "$1")" 2000
}

# The intro as it plays: the logo lit, many colours, and moving.
check_intro_pictures() {
  if ! wait_until 30 0.1 intro_in_full "$work/intro-1.png"; then
    fail "no intro in full 30 s after space: logo brightness" \
         "$(e2e_brightness "$work/intro-1.png" "$E2E_LOGO_MIDDLE"), $(e2e_colours "$work/intro-1.png") colours"
    return
  fi
  echo "intro in full $WAITED s after space: $(e2e_colours "$work/intro-1.png") colours"
  wait_until 10 0.1 e2e_moved_since "$work/intro-2.png" "$work/intro-1.png" || { fail "the intro does not move"; return; }
  echo "the intro moved within $WAITED s"
}

# Escape leaves the program with exit code 0, whatever the NFO screen's verdict.
check_escape_ends() {
  e2e_tap Escape
  e2e_wait_exit 30
  [ "$E2E_EXIT" = 0 ] || fail "Escape gave exit code $E2E_EXIT, not 0"
}

# Takes a screenshot into FILE and tells whether the intro shows or the program has ended.
intro_or_end() { e2e_ended || e2e_logo_lit "$1"; }

# A verdict that does not let space go on: space is ignored, Escape ends. That space does nothing can only
# be watched for a while: two seconds, some dozens of frames even on a loaded machine.
check_only_escape_leaves() {
  check_nfo_screen
  e2e_tap space
  if wait_until 2 0.1 intro_or_end "$work/after-space.png"; then
    if e2e_ended; then fail "space ended the program"; else fail "space started the intro"; fi
  fi
  check_escape_ends
}

# The place of a window on the screen as a crop geometry, WxH+X+Y.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                           /Width:/ { w = $NF } /Height:/ { h = $NF } END { printf "%dx%d+%d+%d", w, h, x, y }'
}

# A start-up failure: its message box with the caption, the text on stderr, OK ends with exit code 1.
check_message_box() {
  local caption=$1 text=$2
  e2e_wait_window "$caption" || { fail "no message box '$caption'"; return; }
  e2e_wait_lit 30 "$work/message.png" 0.5 "$(window_geometry "$E2E_WINDOW")" ||
    fail "the message box is not drawn within 30 s"
  grep -qF "$caption: $text" "$E2E_STDERR" || fail "stderr does not say '$caption: $text'"
  xdotool key Return
  e2e_wait_exit 30
  [ "$E2E_EXIT" = 1 ] || fail "OK gave exit code $E2E_EXIT, not 1"
}

# Taps space and tells whether, a moment later, the screen shows anything of the intro (kept in FILE):
# more than 0.5% of it brighter than 10%, which the NFO screen's blue lines (7% at most) never are.
space_shows_intro() {
  e2e_tap space
  e2e_screenshot "$1"
  e2e_above "$("$E2E_CONVERT" "$1" -colorspace Gray -threshold 10% -format '%[fx:mean]' info:)" 0.005
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
  [ "$(window_geometry "$E2E_WINDOW")" = "$geometry" ] || return 1
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
  wait_until 30 0.2 window_shows "$window" "$window" 0 "$work/window.png" ||
    { fail "--window: the window is $(window_geometry "$E2E_WINDOW"), not $window, or the picture lies outside it"; return; }
  wait_until 30 0.2 verdict_up 320 120 1 "$work/window-verdict.png" || fail "no verdict in the window"
  xdotool key alt+Return
  wait_until 20 0.2 window_shows "$screen" "$fitted" 900 "$work/full-screen.png" ||
    { fail "Alt+Enter: the window is $(window_geometry "$E2E_WINDOW"), the picture $(lit_box "$work/full-screen.png"), not $fitted"; return; }
  wait_until 20 0.2 verdict_up 160 0 1.5 "$work/full-screen-verdict.png" || fail "no verdict in full screen"
  local window_colours full_colours
  window_colours=$(e2e_colours "$work/window-verdict.png")
  full_colours=$(e2e_colours "$work/full-screen-verdict.png")
  echo "the verdict in $window_colours colours in the window, $full_colours in full screen"
  e2e_above $((window_colours * 3 / 2 + 20)) "$full_colours" || fail "full screen blends the pixels: $full_colours colours"
  e2e_tap space
  wait_until 20 0.2 brighter_than "$work/full-screen-intro.png" 672x240+304+240 0.2 || fail "space did not start the intro"
  xdotool key alt+Return
  wait_until 20 0.2 window_shows "$window" "$window" 600 "$work/window-intro.png" ||
    fail "Alt+Enter again: the window is $(window_geometry "$E2E_WINDOW"), the picture $(lit_box "$work/window-intro.png")"
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
    check_intro_pictures
    check_escape_ends
    ;;
  assets_option)
    # Started from the folder above the release, told where its files are.
    E2E_ARGS=(--assets release)
    e2e_start "$work" || exit 1
    e2e_wait_window || exit 1
    check_nfo_screen
    e2e_tap space
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
    # No font, so no verdict to wait for: space is tapped until the intro takes it.
    wait_until 30 0.3 space_shows_intro "$work/intro.png" || fail "nothing of the intro shows without bitmaps"
    check_escape_ends
    ;;
  display_lost)
    e2e_start "$work/release" || exit 1
    e2e_wait_window || exit 1
    wait_for_verdict "$work/nfo-verdict.png" || fail "no verdict within 30 s"
    e2e_tap space
    wait_until 30 0.1 e2e_logo_lit "$work/intro.png" || fail "the logo is not lit 30 s after space"
    e2e_kill_display
    e2e_wait_exit 10
    [ "$E2E_EXIT" != timeout ] || fail "the program still runs 10 s after its display went away"
    echo "ended with exit code $E2E_EXIT once the display went away"
    ;;
  no_display)
    for display in "" ":239"; do
      : >"$E2E_STDERR"
      if [ -z "$display" ]; then unset DISPLAY; else export DISPLAY=$display; fi
      e2e_start "$work/release" nodisplay
      e2e_wait_exit 20
      [ "$E2E_EXIT" = 1 ] || fail "without a display (DISPLAY='$display') the exit code is $E2E_EXIT, not 1"
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
