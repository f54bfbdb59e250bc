# Sourced by the render scripts. Prints the modules given, one path a line: a folder stands for the .xm
# files in it, anything else for itself.
modules_in() {
  local given f
  for given in "$@"; do
    if [ -d "$given" ]; then
      for f in "$given"/*.xm; do printf '%s\n' "$f"; done
    else
      printf '%s\n' "$given"
    fi
  done
}
