#!/usr/bin/env bash
# The real program built with ThreadSanitizer, driven as a person would: the NFO screen, space into the
# intro with its music, Escape out. The frame thread, the wave thread and the audio callback all run;
# any race report fails the run. Usage: threads_clean_under_tsan.sh ZARN ASSET_DIR LOG_DIR
set -u
export E2E_ZARN=$1
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$3"
log="$3/threads_clean_under_tsan"
rm -f "$log".*
# One report file per process; exit code 66 where a report was made.
suppressions="$(cd "$(dirname "$0")" && pwd)/tsan_system_libraries.supp"
export TSAN_OPTIONS="log_path=$log halt_on_error=0 suppressions=$suppressions"

e2e_start "$2" || exit 1
e2e_wait_window || exit 1
# Every memory access is checked, so a frame takes far longer than on a plain build: keys are held for
# seconds, so that frames far apart still see them.
sleep 3
e2e_key_down space
sleep 10
e2e_key_up space
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
