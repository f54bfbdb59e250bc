# Sourced by the test scripts that wait for the program to show something.

# Runs COMMAND... every 0.2 s until it succeeds, for up to SECONDS; false if it never does. A busy
# machine only makes the wait longer, never the check wrong.
poll_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
