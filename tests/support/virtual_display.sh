# Sourced by the test scripts that run a program on a virtual X display and wait for what they check.

VIRTUAL_DISPLAY_PID=""

# Milliseconds since the epoch, from bash's own clock.
now_ms() {
  local micro=${EPOCHREALTIME/[.,]/}
  echo $((micro / 1000))
}

# Seconds between two now_ms readings, with two decimals.
seconds_between() { awk -v from="$1" -v to="$2" 'BEGIN { printf "%.2f", (to - from) / 1000 }'; }

# Starts Xvfb with a screen of SCREEN (WxHxDEPTH) and the further Xvfb OPTIONS, writing its messages to
# LOG, and sets DISPLAY and VIRTUAL_DISPLAY_PID: start_virtual_display SCREEN LOG [OPTIONS...]
# The server picks a free display number itself (-displayfd) and reports it once it takes connections,
# so runs side by side never meet on one number and nothing polls a server that is still starting.
# -noreset keeps the server as it is when its last client leaves: a reset refuses clients for a moment.
start_virtual_display() {
  local screen=$1 log=$2
  shift 2
  local number_file number="" deadline=$((SECONDS + 60))
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "$@" 3>"$number_file" >>"$log" 2>&1 &
  VIRTUAL_DISPLAY_PID=$!
  # The number is complete once its line ends.
  until read -r number <"$number_file" && [ -n "$number" ]; do
    if ! kill -0 "$VIRTUAL_DISPLAY_PID" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
      rm -f "$number_file"
      echo "cannot start Xvfb (see $log)" >&2
      return 1
    fi
    sleep 0.05
  done
  rm -f "$number_file"
  export DISPLAY=":$number"
}

# The X server goes away, as when a desktop session ends.
stop_virtual_display() {
  [ -n "$VIRTUAL_DISPLAY_PID" ] || return 0
  kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null
  wait "$VIRTUAL_DISPLAY_PID" 2>/dev/null
  VIRTUAL_DISPLAY_PID=""
}

# Runs COMMAND every POLL seconds until it succeeds or SECONDS have passed:
# wait_until SECONDS POLL COMMAND [ARGS...]. Returns 1 at the deadline; WAITED holds the seconds it took.
WAITED=""
wait_until() {
  local seconds=$1 poll=$2
  shift 2
  local start deadline
  start=$(now_ms)
  deadline=$((start + seconds * 1000))
  while ! "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || { WAITED=$(seconds_between "$start" "$(now_ms)"); return 1; }
    sleep "$poll"
  done
  WAITED=$(seconds_between "$start" "$(now_ms)")
}
