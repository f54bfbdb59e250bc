#!/usr/bin/env bash
# Packs one download of the intro: scripts/pack-download.sh linux|win32 PROGRAM ARCHIVE [ASSET_DIR]
# The archive (a .tar.gz for linux, a .zip for win32) unpacks into a folder zarn/ that holds the program,
# the files it reads from ASSET_DIR (default assets/: every file but the folder's README, its pictures and
# the example kit with its inputs), README.txt and SHA256SUMS,
# the SHA-256 sums of all the others, which it also prints. Every file carries the time of the last
# commit, so the same commit and program give the same bytes.
set -euo pipefail
usage() { echo "usage: scripts/pack-download.sh linux|win32 PROGRAM ARCHIVE [ASSET_DIR]"; }
case "${1:-}" in
  -h | --help) usage; exit 0 ;;
  linux | win32) [ $# -eq 3 ] || [ $# -eq 4 ] || { usage >&2; exit 2; } ;;
  *) usage >&2; exit 2 ;;
esac
platform=$1
program=$(realpath "$2")
archive=$(realpath -m "$3")
asset_dir=$(realpath "${4:-$(dirname "$0")/../assets}")
cd "$(dirname "$0")/.."

version=$(git describe --tags --always --dirty 2>/dev/null || echo unknown)
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 0)
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
folder=$staging/zarn

# The Debian package that holds a library file, looked up by its path and by the file it links to.
package_of() {
  { dpkg -S "$1" || dpkg -S "$(realpath "$1")"; } 2>/dev/null | head -n 1 | cut -d: -f1
}

# The shared libraries the Linux program names itself, one a line, each with its Debian package.
linux_libraries() {
  local library path package
  for library in $(objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }'); do
    path=$(ldd "$1" | awk -v name="$library" '$1 == name { print $3 }')
    package=$(package_of "$path")
    echo "  $library${package:+ (Debian package $package)}"
  done
}

# The lines of README.txt that differ between the platforms: how to start it, what it needs and how to
# check the sums with the system's own tool.
platform_notes() {
  case $platform in
    linux)
      cat <<EOF
How to run: cd zarn && ./zarn (full screen); ./zarn --window opens a 640x480 window.
Run it from its own folder. ./zarn --help lists the options.

Needs: Linux on x86-64 with these shared libraries, as "ldd zarn" shows them:
$(linux_libraries "$folder/zarn")
On Debian and Ubuntu, "apt-get install libsdl2-2.0-0" brings them all; SDL2 itself loads
the libraries of the desktop (X11 or Wayland) and of the sound system it finds.

SHA256SUMS holds the SHA-256 sum of every other file: "sha256sum -c SHA256SUMS" in the
folder zarn checks them all.
EOF
      ;;
    win32)
      cat <<EOF
How to run: open the folder zarn and double-click zarn.exe (full screen). From a command
prompt in that folder, "zarn.exe --window" opens a 640x480 window; zarn.exe --help lists
the options.

Needs: Windows with DirectX 7 or later; in full screen the display switches to 640x480
at 16 bits per pixel.

SHA256SUMS holds the SHA-256 sum of every other file: "certutil -hashfile zarn.exe SHA256"
in the folder zarn shows the sum of zarn.exe, to compare with its line there.
EOF
      ;;
  esac
}

write_readme() {
  cat >"$folder/README.txt" <<EOF
ZARN intro, version $version

A real-time software-rendered intro. It checks the group's NFO file (ZARN.NFO) with its
own checksum and shows the verdict; when the check passes, press SPACE to start the intro:
a lit logo, blobs, scrolling greetings, a particle fountain and two 3D objects, with the
music of "music.xm" when that module lies beside the program. ESCAPE ends it, and
Alt+Enter switches between a window and full screen.

$(platform_notes)

It reads every file from the folder it is started in and writes nothing.

Files: the program, ZARN.NFO, zarn.dat (the scroll texts), music.xm, the pictures *.bmp
and the 3D object 3d-obj.3d. Without zarn.dat the program says so and ends.
EOF
}

stage() {
  mkdir "$folder"
  cp "$program" "$folder/"
  local asset
  for asset in "$asset_dir"/*; do
    case ${asset##*/} in README.md | *.png | kit-example.*) continue ;; esac
    cp "$asset" "$folder/"
  done
  if [ "$platform" = win32 ]; then
    x86_64-w64-mingw32-strip "$folder/zarn.exe"
    write_readme
    sed -i 's/$/\r/' "$folder/README.txt"  # Windows readers of README.txt expect CR LF line ends
  else
    strip "$folder/zarn"
    write_readme
  fi
  (cd "$folder" && LC_ALL=C ls | xargs sha256sum -- >"$staging/SHA256SUMS")
  mv "$staging/SHA256SUMS" "$folder/"
  find "$staging" -exec touch -h -d "@$stamp" {} +
}

pack() {
  rm -f "$archive"
  mkdir -p "$(dirname "$archive")"
  if [ "$platform" = win32 ]; then
    (cd "$staging" && find zarn | LC_ALL=C sort | zip -X -q -@ "$archive")
  else
    tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$stamp" -C "$staging" -cf - zarn |
      gzip -9 -n >"$archive"
  fi
}

stage
pack
echo "${archive##*/}: zarn/SHA256SUMS"
sed 's/^/  /' "$folder/SHA256SUMS"
