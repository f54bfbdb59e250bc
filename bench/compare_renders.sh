#!/usr/bin/env bash
# Shows that two builds render the same sound: each build's zarn-tool renders every module with
# `xm render` and the WAV files are compared byte for byte. Exit 0 when every file is identical.
#   bench/compare_renders.sh OLD_ZARN_TOOL NEW_ZARN_TOOL MODULE_OR_FOLDER...
# Folders stand for the .xm files in them.
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: $0 OLD_ZARN_TOOL NEW_ZARN_TOOL MODULE_OR_FOLDER..." >&2; exit 2; }
old_tool=$1
new_tool=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/module_list.sh"
mapfile -t modules < <(modules_in "$@")

different=0
for module in "${modules[@]}"; do
  # A module one build refuses must be refused by the other, leaving no file either: the exit codes are
  # compared too.
  old_status=0 new_status=0
  "$old_tool" xm render "$module" "$work/old.wav" >/dev/null 2>&1 || old_status=$?
  "$new_tool" xm render "$module" "$work/new.wav" >/dev/null 2>&1 || new_status=$?
  same_files=true
  if [ -e "$work/old.wav" ] || [ -e "$work/new.wav" ]; then
    cmp -s "$work/old.wav" "$work/new.wav" || same_files=false
  fi
  if [ "$old_status" != "$new_status" ] || ! $same_files; then
    echo "DIFFERENT: $module (exit $old_status against $new_status)"
    different=$((different + 1))
  fi
  rm -f "$work/old.wav" "$work/new.wav"
done
if [ "$different" -eq 0 ]; then
  echo "identical: ${#modules[@]} modules"
else
  echo "$different of ${#modules[@]} modules render differently"
  exit 1
fi
