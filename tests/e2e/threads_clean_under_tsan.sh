#!/usr/bin/env bash
# The real program built with ThreadSanitizer, driven as a person would: the NFO screen, space into the
# intro with its music, Escape out. The frame thread, the wave thread and the audio callback all run;
# any race report fails the run. Usage: threads_clean_under_tsan.sh ZARN ASSET_DIR LOG_DIR
set -u
[ $# -eq 3 ] || { echo "usage: $0 ZARN ASSET_DIR LOG_DIR" >&2; exit 2; }
export E2E_ZARN=$1
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$3"
log="$3/threads_clean_under_tsan"
rm -f "$log".*
# One report file per process; exit code 66 where a report was made.
suppressions="$(cd "$(dirname "$0")" && pwd)/tsan_system_libraries.supp"
export TSAN_OPTIONS="log_path=$log halt_on_error=0 suppressions=$suppressions"

failed() { echo "FAIL: $*"; cat "$log".* 2>/dev/null; exit 1; }

e2e_start "$2" || exit 1
e2e_wait_window || exit 1
# Every memory access is checked, so frames come far apart: each step waits for what the screen shows,
# and keys are held until a frame has seen them.
e2e_wait_lit 120 "$3/verdict.png" 0.01 "$E2E_VERDICT_LINES" || failed "no verdict within 120 s"
echo "verdict seen $WAITED s after the window appeared"
e2e_key_down space
wait_until 120 0.5 e2e_logo_lit "$3/intro-1.png" || failed "no intro within 120 s of space"
e2e_key_up space
wait_until 120 0.5 e2e_moved_since "$3/intro-2.png" "$3/intro-1.png" || failed "the intro does not move"
echo "the intro moved within $WAITED s"
# Not a wait for anything: how long the frame thread, the wave thread and the audio callback run side by
# side under the checker.
sleep 5
e2e_key_down Escape
e2e_wait_exit 120
e2e_key_up Escape

echo "exit code: $E2E_EXIT"
if grep -qs "WARNING: ThreadSanitizer\|ERROR: ThreadSanitizer" "$log".*; then
  cat "$log".*
  echo "FAIL: ThreadSanitizer reported the above"
  exit 1
fi
[ "$E2E_EXIT" = 0 ] || { echo "FAIL: expected exit code 0"; exit 1; }
echo "PASS"
