#!/usr/bin/env bash
# zarn-tool's command line: exit codes 0 (done), 1 (the work failed), 2 (wrong command line, said in one
# line), generated help, an NFO that is signed and then checked, "-" for standard output, a directory
# where a file should be, and a full file system. Usage: zarn_tool_cli.sh ZARN_TOOL WORK_DIR
set -u
[ $# -eq 2 ] || { echo "usage: $0 ZARN_TOOL WORK_DIR" >&2; exit 2; }
tool=$1
work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
printf 'An NFO without a trailer\r\n' > plain.nfo
cp plain.nfo signed.nfo
# A tetrahedron, enough for obj render to draw.
printf '4 4\n0 0 0\n30 0 0\n0 30 0\n0 0 30\n0 2 1 0\n0 1 3 0\n0 3 2 0\n1 2 3 0\n' > tetrahedron.3d
mkdir folder

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
# Numbers are read strictly: junk after them, a sign, a space, NaN, an exponent or an overflow is wrong.
for bad in "render x.xm out.wav --seconds nan" "render x.xm out.wav --seconds 1x" "render x.xm out.wav --seconds +1" \
           "render x.xm out.wav --seconds 1e3" "render x.xm out.wav --loops 3x" \
           "render x.xm out.wav --loops 99999999999" "trace x.xm --ticks +3" "trace x.xm --ticks 0"; do
  expect 2 xm $bad
done

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A wrong command line is one line on stderr that names what is wrong, and nothing on stdout.
while IFS='|' read -r args named; do
  "$tool" $args > out.txt 2> err.txt
  code=$?
  [ "$code" -eq 2 ] || fail "zarn-tool $args exited $code, expected 2"
  [ ! -s out.txt ] || fail "zarn-tool $args wrote to stdout: $(cat out.txt)"
  [ "$(wc -l < err.txt)" -eq 1 ] && grep -q -- "$named" err.txt || fail "zarn-tool $args said: $(cat err.txt)"
done <<'LINES'
frobnicate|'frobnicate'
nfo frobnicate plain.nfo|'frobnicate'
xm render x.xm out.wav --seconds nan|--seconds.*'nan'
xm render x.xm|OUT.wav
preview --every 3x|--every.*'3x'
preview --press 100:enter|--press.*'100:enter'
record capture.mp4 --height 1081|--height.*'1081'
obj render tetrahedron.3d out.png --time 12ms|--time.*'12ms'
obj check tetrahedron.3d extra|extra
xm play x.xm --frobnicate|--frobnicate
LINES

# A line that stops where a command should follow lists the commands on stderr, exit 2.
for args in "" "xm" "nfo" "obj"; do
  "$tool" $args > out.txt 2> err.txt
  code=$?
  [ "$code" -eq 2 ] || fail "zarn-tool $args exited $code, expected 2"
  grep -q "^Usage: zarn-tool" err.txt && grep -q "^Subcommands:" err.txt || fail "zarn-tool $args said: $(cat err.txt)"
done

# Help is generated for every command and subcommand: on stdout, exit 0.
for args in "--help" "xm --help" "xm render --help" "record --help" "nfo sign -h"; do
  "$tool" $args > out.txt 2> err.txt || fail "zarn-tool $args exited $?"
  grep -q "^Usage: zarn-tool" out.txt || fail "zarn-tool $args printed: $(cat out.txt err.txt)"
done

# Signing twice keeps one trailer: the file grew by 18 bytes once.
size_plain=$(stat -c %s plain.nfo)
size_signed=$(stat -c %s signed.nfo)
[ "$size_signed" -eq $((size_plain + 18)) ] || { echo "FAIL: signed file is $size_signed bytes, expected $((size_plain + 18))"; failures=$((failures + 1)); }
cmp -n "$size_plain" plain.nfo signed.nfo || { echo "FAIL: signing changed the text"; failures=$((failures + 1)); }

# A directory given as a file: one line saying why, and exit 1.
for args in "nfo sign folder" "nfo check folder" "obj check folder" "obj render folder out.png" \
            "obj render tetrahedron.3d folder" "xm info folder" "xm render folder out.wav"; do
  expect 1 $args
  [ "$(wc -l < out.txt)" -eq 1 ] || fail "zarn-tool $args said more than one line: $(cat out.txt)"
done
[ -d folder ] && [ -z "$(ls -A folder)" ] || fail "a refused directory was changed"

# "-" is standard output, and for nfo sign standard input too; the report then goes to stderr.
png_signature=$(printf '\211PNG\r\n\032\n' | od -An -tx1)
"$tool" nfo sign - < plain.nfo > piped.nfo 2> report.txt || fail "nfo sign - exited $?: $(cat report.txt)"
"$tool" nfo check piped.nfo > /dev/null || fail "nfo sign - did not write a signed NFO to standard output"
grep -q '^-: checksum .*, trailer appended$' report.txt || fail "nfo sign - reported: $(cat report.txt)"
"$tool" obj render tetrahedron.3d - > piped.png 2> report.txt || fail "obj render to - exited $?: $(cat report.txt)"
[ "$(head -c 8 piped.png | od -An -tx1)" = "$png_signature" ] || fail "obj render to - wrote no PNG to standard output"
[ ! -e - ] || fail "a file named - was made"

# A capture without ffmpeg on the PATH: one line saying so, exit 1 and no file.
PATH=/nonexistent "$tool" record capture.mp4 > out.txt 2>&1
code=$?
[ "$code" -eq 1 ] || fail "record without ffmpeg exited $code, expected 1"
[ "$(wc -l < out.txt)" -eq 1 ] && grep -q "ffmpeg is not installed" out.txt || fail "record without ffmpeg said: $(cat out.txt)"
[ ! -e capture.mp4 ] || fail "record without ffmpeg made capture.mp4"
expect 2 record
expect 2 record capture.mp4 --height 1081

# An NFO far larger than any real one is failed by the intro at once; the tool says so in one line.
head -c 1048577 /dev/zero > huge.nfo
expect 1 nfo check huge.nfo
grep -q "larger than" out.txt || fail "nfo check of a huge NFO said: $(cat out.txt)"

# A full file system: a 64 KiB tmpfs in a private mount namespace, so nothing stays mounted. A write
# that does not fit fails with the reason and leaves the file that was there as it was, with no
# temporary file beside it.
mkdir full
cp piped.png full-old.png
unshare --map-root-user --mount bash -s "$tool" > full.txt 2>&1 <<'FULL' || { fail "on a full file system:"; sed 's/^/    /' full.txt; }
set -u
tool=$1
mount -t tmpfs -o size=64k tmpfs full || { echo "cannot mount a small tmpfs"; exit 1; }
head -c 300 /dev/urandom | od -An -tx1 | head -c 300 > full/release.nfo
cp full-old.png full/picture.png
head -c 1M /dev/zero > full/filler 2> /dev/null
failed=0
for args in "nfo sign full/release.nfo" "obj render tetrahedron.3d full/picture.png"; do
  target=${args##* }
  cp "$target" before
  "$tool" $args > out.txt 2>&1
  code=$?
  [ "$code" -eq 1 ] || { echo "zarn-tool $args exited $code, expected 1"; failed=1; }
  grep -q "No space left on device" out.txt || { echo "zarn-tool $args said: $(cat out.txt)"; failed=1; }
  cmp -s before "$target" || { echo "zarn-tool $args changed $target"; failed=1; }
done
[ "$(ls -A full | tr '\n' ' ')" = "filler picture.png release.nfo " ] || { echo "left in full/: $(ls -A full)"; failed=1; }
exit $failed
FULL

[ "$failures" -eq 0 ] && echo "PASS" || exit 1
