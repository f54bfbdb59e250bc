#!/usr/bin/env bash
# Builds the two downloads and the web page of one version into dist/:
#   dist/zarn-win32.zip           zarn.exe, the files it reads, README.txt and SHA256SUMS
#   dist/zarn-linux-x86_64.tar.gz the Linux build of the same sources with the same files
#   dist/zarn-web/                the page to put on a web server (README.md says how to host it)
# Each archive unpacks into a folder zarn/ (scripts/pack-download.sh packs it). The archives carry the
# time of the last commit, so the same commit gives the same bytes. It prints the sums inside each
# archive and the SHA-256 sums of the archives themselves, for the page that offers them.
#   ./release.sh               with the default set in assets/
#   ./release.sh --assets DIR  with a group's own folder (made by zarn-tool kit build and checked with
#                              zarn-tool check): its files go into the downloads and the page, and the
#                              Windows icon is made from its banner
set -euo pipefail
usage() { echo "usage: ./release.sh [--assets DIR]"; }
assets_dir=$(dirname "$0")/assets
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ]; then
  usage
  exit 0
elif [ "${1:-}" = "--assets" ] && [ -n "${2:-}" ] && [ $# -eq 2 ]; then
  assets_dir=$2
elif [ $# -gt 0 ]; then
  usage >&2
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

scripts/pack-download.sh win32 "$win32_tree/zarn.exe" dist/zarn-win32.zip "$assets_dir"
scripts/pack-download.sh linux build/release/zarn dist/zarn-linux-x86_64.tar.gz "$assets_dir"

# The page as the web server gets it: its files, with the commit's time.
rm -rf dist/zarn-web
cp -r "$web_tree/page" dist/zarn-web
find dist/zarn-web -exec touch -h -d "@$stamp" {} +

echo "version $version:"
ls -l dist/zarn-win32.zip dist/zarn-linux-x86_64.tar.gz
(cd dist && sha256sum zarn-win32.zip zarn-linux-x86_64.tar.gz)
# What a visitor downloads, each file as it is and as a server that compresses would send it.
plain=0 zipped=0
for file in dist/zarn-web/*; do
  plain=$((plain + $(stat -c %s "$file")))
  zipped=$((zipped + $(gzip -9 -n -c "$file" | wc -c)))
done
echo "dist/zarn-web/: $plain bytes, $zipped with gzip"
