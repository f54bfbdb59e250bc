# Sourced by the test scripts that start the program and its display.

# Ends each process given: politely first, then for good when it has not gone after two seconds.
stop_processes() {
  local pid
  for pid in "$@"; do
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
}
