#!/usr/bin/env bash
# zarn-tool's command line: exit codes 0 (done), 1 (the work failed), 2 (wrong command line), and an
# NFO that is signed and then checked. Usage: zarn_tool_cli.sh ZARN_TOOL WORK_DIR
set -u
tool=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
printf 'An NFO without a trailer\r\n' > plain.nfo
cp plain.nfo signed.nfo

failures=0
expect() {
  local code=$1
  shift
  "$tool" "$@" > out.txt 2>&1
  local got=$?
  if [ "$got" != "$code" ]; then
    echo "FAIL: zarn-tool $* exited $got, expected $code"
    sed 's/^/    /' out.txt
    failures=$((failures + 1))
  fi
}

expect 0 --help
expect 2
expect 2 no-such-command
expect 2 nfo
expect 2 nfo frobnicate plain.nfo
expect 1 nfo check plain.nfo
expect 1 nfo check missing.nfo
expect 1 nfo sign missing.nfo
expect 0 nfo sign signed.nfo
expect 0 nfo check signed.nfo
expect 0 nfo sign signed.nfo
expect 0 nfo check signed.nfo
expect 2 assets
expect 2 preview --frobnicate
expect 2 obj
expect 2 xm

# Signing twice keeps one trailer: the file grew by 18 bytes once.
size_plain=$(stat -c %s plain.nfo)
size_signed=$(stat -c %s signed.nfo)
[ "$size_signed" -eq $((size_plain + 18)) ] || { echo "FAIL: signed file is $size_signed bytes, expected $((size_plain + 18))"; failures=$((failures + 1)); }
cmp -n "$size_plain" plain.nfo signed.nfo || { echo "FAIL: signing changed the text"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "PASS" || exit 1
