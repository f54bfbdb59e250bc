#!/usr/bin/env bash
# Builds the two downloads and the web page of one version into dist/:
#   dist/zarn-win32.zip           zarn.exe, the default assets and README.txt
#   dist/zarn-linux-x86_64.tar.gz the Linux build of the same sources, the same assets and README.txt
#   dist/zarn-web/                the page to put on a web server (README.md says how to host it)
# Each archive unpacks into a folder zarn/. The archives carry the time of the last commit, so the same
# commit gives the same bytes.
#   ./release.sh               with the default set in assets/
#   ./release.sh --assets DIR  with a group's own folder (made by zarn-tool kit build and checked with
#                              zarn-tool check): its files go into the downloads and the page, and the
#                              Windows icon is made from its banner
set -euo pipefail
assets_dir=$(dirname "$0")/assets
if [ "${1:-}" = "--assets" ] && [ -n "${2:-}" ]; then
  assets_dir=$2
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--assets DIR]" >&2
  exit 2
fi
[ -f "$assets_dir/zarn.dat" ] || { echo "$assets_dir: no zarn.dat here; not an asset folder" >&2; exit 2; }
assets_dir=$(cd "$assets_dir" && pwd)
cd "$(dirname "$0")"

# The Windows program (its icon) and the page (its preloaded files) carry the folder, so a group's folder
# is built in trees of its own: build/win32 and build/web stay the default set's, as the tests expect.
win32_tree=build/win32 web_tree=build/web folder_option=()
if [ "$assets_dir" != "$(pwd)/assets" ]; then
  win32_tree=build/group-win32 web_tree=build/group-web folder_option=(-DZARN_RELEASE_ASSETS="$assets_dir")
fi

scripts/install-deps.sh
scripts/build-win32.sh "$win32_tree" "${folder_option[@]}" -- zarn
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -- zarn
scripts/build-web.sh "$web_tree" "${folder_option[@]}" -- zarn

version=$(git describe --tags --always --dirty 2>/dev/null || echo unknown)
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 0)
# What the program reads: every asset but the folder's own README and preview picture, and the example
# kit with its inputs that lives beside the default set.
mapfile -t asset_files < <(cd "$assets_dir" && ls | grep -v -x -e README.md -e preview.png -e 'kit-example.*')

# The folder of one download: the program, the assets and a README.txt with the platform's own notes.
stage() {
  local folder=$1 program=$2 run_line=$3 needs_line=$4
  rm -rf "$folder"
  mkdir -p "$folder/zarn"
  cp "$program" "$folder/zarn/"
  for file in "${asset_files[@]}"; do cp "$assets_dir/$file" "$folder/zarn/"; done
  cat >"$folder/zarn/README.txt" <<EOF
ZARN intro, version $version

A real-time software-rendered intro. It checks the group's NFO file (ZARN.NFO) with its
own checksum and shows the verdict; when the check passes, press SPACE to start the intro:
a lit logo, blobs, scrolling greetings, a particle fountain and two 3D objects, with the
music of "music.xm" when that module lies beside the program. ESCAPE ends it.

How to run: $run_line
It reads every file from the folder it is started in and writes nothing.

Needs: $needs_line

Files: the program, ZARN.NFO, zarn.dat (the scroll texts), the pictures *.bmp and the
3D object 3d-obj.3d. Without zarn.dat the program says so and ends.
EOF
}

# Every file and folder of a staged download gets the time of the last commit.
stamp_times() { find "$1" -exec touch -h -d "@$stamp" {} +; }

mkdir -p dist
staging=build/dist-staging

stage "$staging/win32" "$win32_tree/zarn.exe" \
  "open the folder zarn and double-click zarn.exe." \
  "Windows with DirectX 7 or later; the display switches to 640x480 at 16 bits per pixel."
x86_64-w64-mingw32-strip "$staging/win32/zarn/zarn.exe"
# Windows readers of README.txt expect CR LF line ends.
sed -i 's/$/\r/' "$staging/win32/zarn/README.txt"
stamp_times "$staging/win32"
rm -f dist/zarn-win32.zip
(cd "$staging/win32" && find zarn | LC_ALL=C sort | zip -X -q -@ "$OLDPWD/dist/zarn-win32.zip")

stage "$staging/linux" build/release/zarn \
  "cd zarn && ./zarn (full screen; run it from its own folder)." \
  "Linux on x86-64 with SDL2 (Debian and Ubuntu: apt-get install libsdl2-2.0-0)."
strip "$staging/linux/zarn/zarn"
stamp_times "$staging/linux"
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$stamp" -C "$staging/linux" -cf - zarn |
  gzip -9 -n >dist/zarn-linux-x86_64.tar.gz

# The page as the web server gets it: its files, with the commit's time.
rm -rf dist/zarn-web
cp -r "$web_tree/page" dist/zarn-web
stamp_times dist/zarn-web

echo "version $version:"
ls -l dist/zarn-win32.zip dist/zarn-linux-x86_64.tar.gz
# What a visitor downloads, each file as it is and as a server that compresses would send it.
plain=0 zipped=0
for file in dist/zarn-web/*; do
  plain=$((plain + $(stat -c %s "$file")))
  zipped=$((zipped + $(gzip -9 -n -c "$file" | wc -c)))
done
echo "dist/zarn-web/: $plain bytes, $zipped with gzip"
