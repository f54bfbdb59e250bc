#!/usr/bin/env bash
# The Linux download as a user gets it. Packed from the built program and unpacked in a clean folder, it
# holds the program, the files the program reads, README.txt and SHA256SUMS, and nothing else; its sums
# check; README.txt tells how to check them on Linux and names every library the program links, none from
# a development package; the program searches no folder of this machine's build for libraries. Started in
# its folder with a bare environment on a virtual X display, it shows the NFO verdict, goes on to the intro
# with space and ends with Escape.
# Usage: release_tarball.sh ZARN OUT_DIR (the tarball, the unpacked folder and the screenshots)
set -u
[ $# -eq 2 ] || { echo "usage: $0 ZARN OUT_DIR" >&2; exit 2; }
export E2E_ZARN
E2E_ZARN=$(realpath "$1")
work=$(realpath -m "$2")
packer=$(realpath "$(dirname "$0")/../../scripts/pack-download.sh")
rm -rf "$work"
mkdir -p "$work/clean" "$work/home"
export E2E_STDERR="$work/stderr.txt"
source "$(dirname "$0")/xvfb_session.sh"

expected_files="3d-obj.3d README.txt SHA256SUMS ZARN.NFO blob.bmp chars.bmp chars2.bmp credits.bmp logo.bmp
music.xm zarn zarn.bmp zarn.dat"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

tarball=$work/zarn-linux-x86_64.tar.gz
"$packer" linux "$E2E_ZARN" "$tarball" >"$work/pack.txt" || { cat "$work/pack.txt"; echo "FAIL: packing"; exit 1; }
tar -xzf "$tarball" -C "$work/clean" || { echo "FAIL: the tarball does not unpack"; exit 1; }
folder=$work/clean/zarn

check_contents() {
  local outside
  outside=$(tar -tzf "$tarball" | grep -v '^zarn/' || true)
  [ -z "$outside" ] || fail "the tarball unpacks outside zarn/: $outside"
  [ "$(cd "$folder" && LC_ALL=C ls | xargs)" = "$(echo $expected_files)" ] ||
    fail "zarn/ holds $(cd "$folder" && LC_ALL=C ls | xargs), not $(echo $expected_files)"
  [ "$(awk '{ print $2 }' "$folder/SHA256SUMS" | xargs)" = "$(cd "$folder" && LC_ALL=C ls | grep -vx SHA256SUMS | xargs)" ] ||
    fail "SHA256SUMS does not list every other file"
  (cd "$folder" && sha256sum --quiet --strict -c SHA256SUMS) || fail "the sums in SHA256SUMS do not match"
}

# README.txt speaks of this download: the sums checked with sha256sum, no Windows program or tool.
check_readme() {
  grep -qF '"sha256sum -c SHA256SUMS"' "$folder/README.txt" || fail "README.txt does not say how to check the sums"
  grep -nE 'zarn\.exe|certutil' "$folder/README.txt" && fail "README.txt names Windows files or tools"
  return 0
}

# Each library the program names, in README.txt, from a Debian package that is not a -dev one; nothing
# unresolved; no RPATH or RUNPATH that would look for libraries in the build.
check_libraries() {
  local library line
  for library in $(objdump -p "$folder/zarn" | awk '$1 == "NEEDED" { print $2 }'); do
    line=$(grep -F "  $library " "$folder/README.txt") || { fail "README.txt does not name $library"; continue; }
    [[ $line == *"Debian package "* ]] || fail "README.txt gives no package for $library"
    [[ $line == *"-dev)"* ]] && fail "$library comes from a development package: $line"
  done
  ldd "$folder/zarn" | grep -q "not found" && fail "ldd finds no file for: $(ldd "$folder/zarn" | grep "not found")"
  objdump -p "$folder/zarn" | grep -qE 'R(UN)?PATH' && fail "the program carries a library search path"
  echo "libraries: $(objdump -p "$folder/zarn" | awk '$1 == "NEEDED" { print $2 }' | xargs)"
}

# Only what a fresh account has: no library path, no variables of this build.
check_run() {
  e2e_start_display || { fail "no virtual display"; return; }
  E2E_ARGS=(-i "DISPLAY=$DISPLAY" "HOME=$work/home" "SDL_AUDIODRIVER=$E2E_AUDIODRIVER" ./zarn)
  E2E_ZARN=env
  e2e_start "$folder" nodisplay
  e2e_wait_window || { fail "no window"; return; }
  e2e_wait_lit 60 "$work/verdict.png" 0.01 "$E2E_VERDICT_LINES" || { fail "no verdict within 60 s (verdict.png)"; return; }
  e2e_tap space
  wait_until 30 0.1 e2e_logo_lit "$work/intro.png" || { fail "space did not start the intro (intro.png)"; return; }
  e2e_tap Escape
  e2e_wait_exit 20
  [ "$E2E_EXIT" = 0 ] || fail "Escape gave exit code $E2E_EXIT, not 0"
}

check_contents
check_readme
check_libraries
check_run
echo "tarball, unpacked folder and screenshots in $work"
[ "$failures" -eq 0 ] && { echo "PASS"; exit 0; }
echo "--- what the program printed:"
cat "$E2E_STDERR"
exit 1
