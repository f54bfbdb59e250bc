#!/usr/bin/env bash
# zarn.exe under Wine on a virtual X screen of 640x480 at 16 bits per pixel, so that its full-screen
# mode exists, with a silent ALSA output as sound card:
#   1. with the default assets the NFO verdict shows, space starts the intro, Escape ends it with 0;
#   2. without "zarn.dat" the message box says so, and OK ends the program with 1 (a start-up failure);
#   3. closing the window (Alt+F4) while the frame thread presents ends the program with 0;
#   4. --help and a wrong option answer on the command line, the wrong one with exit code 2;
#   5. with --window the verdict shows in a window, Alt+Enter switches to DirectDraw's full screen and
#      back, and Escape in the intro ends with 0;
#   6. without a sound card the sound system's message box shows, and OK ends the program with 1.
# A screenshot of each screen is kept in SHOT_DIR. Wine's own output goes to SHOT_DIR/wine.log, shown
# only when the test fails.
# Usage: wine_smoke.sh ZARN_EXE ASSET_DIR SHOT_DIR
set -u
[ $# -eq 3 ] || { echo "usage: $0 ZARN_EXE ASSET_DIR SHOT_DIR" >&2; exit 2; }
exe=$(realpath "$1")
assets=$(realpath "$2")
shots=$3
source "$(dirname "$0")/../support/stop_processes.sh"
source "$(dirname "$0")/../support/virtual_display.sh"
mkdir -p "$shots"
shots=$(realpath "$shots")
log=$shots/wine.log
: >"$log"

work=$(mktemp -d)
zarn_pid=""

finish() {
  stop_processes $zarn_pid $VIRTUAL_DISPLAY_PID
  [ -d "$work/prefix" ] && WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1
  wait 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "FAIL: $*"
  echo "---- Wine's output ($log) ----"
  cat "$log"
  exit 1
}

# Xvfb on a number of its own choosing, its root black so that no screenshot shows what an earlier run
# left behind.
start_display() { start_virtual_display 640x480x16 "$log" -br; }

# A Wine of its own in the temporary folder, whose sound card is ALSA's null output.
set_up_wine() {
  export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$HOME"
  echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
  wineboot -i >>"$log" 2>&1
}

# Starts zarn.exe in the folder DIR with the options that follow; its exit code lands in $work/exit.
start_zarn() {
  rm -f "$work/exit"
  (cd "$1" && wine "$exe" "${@:2}" >>"$log" 2>&1; echo $? >"$work/exit") &
  zarn_pid=$!
}

# True once a window named exactly NAME exists; its id is in $window.
window=""
has_window() {
  window=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$window" ]
}

# True once a window named exactly NAME exists and has taken the keyboard. A window is found by its name
# before Wine has mapped it, and focusing it then fails (BadMatch), so both are tried again together.
focus_window() { has_window "$1" && timeout 10 xdotool windowfocus --sync "$window" >>"$log" 2>&1; }

# Waits up to 60 seconds (Wine starts slowly on a cold machine) for a window named exactly NAME and gives
# it the keyboard.
wait_window() { wait_until 60 0.1 focus_window "$1"; }

exited() { [ -f "$work/exit" ]; }

# Waits up to SECONDS for zarn.exe to end and prints its exit code, or "timeout".
wait_exit() {
  if wait_until "$1" 0.1 exited; then
    cat "$work/exit"
    zarn_pid=""
  else
    echo timeout
  fi
}

screenshot() { xwd -root -silent | convert xwd:- "$shots/$1"; }
# The window's own picture: a capture of the whole screen shows the colours of a window that Wine draws
# through GDI wrongly on this 16-bit screen.
window_shot() { xwd -id "$1" -silent | convert xwd:- "$shots/$2"; }

# Whether the window WINDOW covers the screen from its corner (full screen) or stands below a caption
# (a window), by where its X window is.
window_at() { xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left Y/ { print $NF }'; }
is_full_screen() { [ "$(window_at "$1")" = 0 ]; }
is_windowed() { local y; y=$(window_at "$1"); [ -n "$y" ] && [ "$y" -gt 0 ]; }

# Whether the verdict's first lines are lit in the picture FILE, whose frame starts at its corner: in the
# window WINDOW's own picture, or on the screen.
verdict_shows() { above "$(lit_share "$1" "$verdict_lines")" 0.02; }
window_verdict_shows() { window_shot "$1" "$2" && verdict_shows "$2"; }
screen_verdict_shows() { screenshot "$1" && verdict_shows "$1"; }
# Whether the intro fills the window WINDOW, its picture kept in FILE.
window_intro_shows() { window_shot "$1" "$2" && above "$(lit_share "$2" 640x440+0+0)" 0.5; }

# Share of the pixels inside GEOMETRY (WxH+X+Y) of a screenshot that are not black, 0 to 1.
lit_share() { convert "$shots/$1" -crop "$2" +repage -colorspace Gray -threshold 2% -format '%[fx:mean]' info:; }

above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Takes the screenshot NAME and tells whether more than the share BOUND of GEOMETRY in it is lit:
# shot_lit NAME GEOMETRY BOUND.
shot_lit() {
  screenshot "$1"
  above "$(lit_share "$1" "$2")" "$3"
}

# Where the verdict's first two lines are, and the whole screen.
verdict_lines=350x38+10+198
whole_screen=640x480+0+0

start_display || fail "cannot start Xvfb"
set_up_wine || fail "wineboot failed"

# 1. The default assets: NFO screen, verdict, intro, Escape.
start_zarn "$assets"
wait_window '\[-ZARN-\]' || fail "no window \"[-ZARN-]\" appeared"
wait_until 60 0.1 shot_lit nfo_checking.png "$whole_screen" 0.01 ||
  fail "the NFO screen stays black (nfo_checking.png)"
echo "first frame seen $WAITED s after the window appeared"
wait_until 30 0.1 shot_lit nfo_verdict.png "$verdict_lines" 0.02 ||
  fail "the NFO verdict does not show (nfo_verdict.png)"
echo "verdict seen $WAITED s after the first frame"
# Held until the intro shows: a frame under Wine may come later than a quick tap is up again.
xdotool keydown space
wait_until 30 0.1 shot_lit intro.png "$whole_screen" 0.5 ||
  fail "the intro does not fill the screen after space (intro.png)"
xdotool keyup space
echo "intro seen $WAITED s after space"
xdotool keydown Escape
code=$(wait_exit 30)
xdotool keyup Escape
echo "default assets: exit code $code"
[ "$code" = 0 ] || fail "Escape in the intro: expected exit code 0, got $code"

# 2. Without "zarn.dat": its message box, and the end after OK.
mkdir -p "$work/without_script"
cp -r "$assets"/. "$work/without_script"/
rm "$work/without_script/zarn.dat"
start_zarn "$work/without_script"
wait_window ZARN || fail "no message box \"ZARN\" appeared without zarn.dat"
wait_until 30 0.1 shot_lit missing_script.png "$whole_screen" 0.01 || fail "the message box is not drawn"
xdotool key Return
code=$(wait_exit 30)
echo "without zarn.dat: exit code $code"
[ "$code" = 1 ] || fail "after the missing zarn.dat message: expected exit code 1, got $code"
grep -q "Can't find data file zarn.dat" "$log" || fail "the message does not name zarn.dat"

# 3. The window closed from outside, in the middle of the frames; started elsewhere, told where its files
# are (Wine reads the absolute path on its drive Z:, the whole file system).
start_zarn "$work" --assets "$assets"
wait_window '\[-ZARN-\]' || fail "no window \"[-ZARN-]\" appeared the second time"
wait_until 60 0.1 shot_lit closing.png "$whole_screen" 0.01 || fail "the NFO screen stays black the second time"
xdotool key alt+F4
code=$(wait_exit 30)
echo "closed with Alt+F4: exit code $code"
[ "$code" = 0 ] || fail "after Alt+F4: expected exit code 0, got $code"

# 4. The command line: the usage text, and one line with exit code 2 for an option it does not know.
usage=$(cd "$assets" && wine "$exe" --help 2>>"$log")
echo "$usage" | grep -q "^Usage: zarn \[--window" || fail "--help does not print the usage: $usage"
complaint=$(cd "$assets" && wine "$exe" --mode 9 2>&1 >/dev/null)
code=$?
echo "--mode 9: exit code $code, \"$complaint\""
[ "$code" = 2 ] || fail "--mode 9: expected exit code 2, got $code"
[ "$(echo "$complaint" | wc -l)" = 1 ] || fail "--mode 9 says more than one line: $complaint"

# 5. A window, Alt+Enter to DirectDraw's full screen and back, then the intro and Escape. The window is
# 640x480 inside its frame and caption, so on this screen its bottom rows lie off screen.
start_zarn "$assets" --window
wait_window '\[-ZARN-\]' || fail "no window \"[-ZARN-]\" appeared with --window"
wait_until 20 0.2 is_windowed "$window" || fail "--window did not open a window"
wait_until 30 0.2 window_verdict_shows "$window" windowed.png || fail "no verdict in the window (windowed.png)"
xdotool key alt+Return
wait_until 20 0.2 is_full_screen "$window" || fail "Alt+Enter did not switch to full screen"
wait_until 20 0.2 screen_verdict_shows full_screen.png || fail "no verdict in full screen (full_screen.png)"
xdotool key alt+Return
wait_until 20 0.2 is_windowed "$window" || fail "the second Alt+Enter did not switch back to a window"
wait_until 20 0.2 window_verdict_shows "$window" windowed_again.png || fail "no verdict in the window again"
xdotool key space
wait_until 20 0.2 window_intro_shows "$window" windowed_intro.png || fail "space did not start the intro"
xdotool key Escape
code=$(wait_exit 30)
echo "--window, Alt+Enter twice, space, Escape: exit code $code"
[ "$code" = 0 ] || fail "Escape after switching: expected exit code 0, got $code"

# 6. A sound card that does not exist: wave-out cannot open.
echo 'pcm.!default { type hw card 31 }' >"$HOME/.asoundrc"
start_zarn "$assets"
wait_window '\]-ZARN-\[' || fail "no message box \"]-ZARN-[\" appeared without a sound card"
wait_until 30 0.1 shot_lit missing_sound.png "$whole_screen" 0.01 || fail "the message box is not drawn"
xdotool key Return
code=$(wait_exit 30)
echo "without a sound card: exit code $code"
[ "$code" = 1 ] || fail "after the sound system's message: expected exit code 1, got $code"
grep -q "Can't initialize SoundSystem" "$log" || fail "the message does not name the sound system"

echo "screenshots in $shots"
echo "PASS"
