#!/usr/bin/env bash
# The program opens its window and shows a picture; once the NFO verdict is up, space goes on to the
# intro where the check passed, and Escape then ends the program with exit code 0 whatever the verdict.
# Usage: escape_ends_program.sh ZARN ASSET_DIR SHOT_DIR
set -u
export E2E_ZARN=$1
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$3"
shot="$3/escape_ends_program.png"

e2e_start "$2" || exit 1
e2e_wait_window || exit 1
sleep 1
e2e_screenshot "$shot"
sleep 2.5
e2e_key space
e2e_key_down Escape
e2e_wait_exit 10
e2e_key_up Escape

lit=$(e2e_lit_share "$shot")
echo "exit code: $E2E_EXIT, screenshot $shot, share of lit pixels $lit"
[ "$E2E_EXIT" = 0 ] || { echo "FAIL: expected exit code 0"; exit 1; }
awk -v lit="$lit" 'BEGIN { exit !(lit > 0.002) }' || { echo "FAIL: the screen is black"; exit 1; }
echo "PASS"
