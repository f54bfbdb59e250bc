#!/usr/bin/env bash
# Builds the two downloads and the web page of one version into dist/:
#   dist/zarn-win32.zip           zarn.exe, the files it reads, README.txt and SHA256SUMS
#   dist/zarn-linux-x86_64.tar.gz the Linux build of the same sources with the same files
#   dist/zarn-web/                the page to put on a web server (README.md says how to host it)
# Each archive unpacks into a folder zarn/ (scripts/pack-download.sh packs it). The archives carry the
# time of the last commit, so the same commit gives the same bytes. It prints the sums inside each
# archive and the SHA-256 sums of the archives themselves, for the page that offers them.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
scripts/build-win32.sh build/win32 -- zarn
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -- zarn
scripts/build-web.sh build/web -- zarn

version=$(git describe --tags --always --dirty 2>/dev/null || echo unknown)
stamp=$(git log -1 --format=%ct 2>/dev/null || echo 0)

scripts/pack-download.sh win32 build/win32/zarn.exe dist/zarn-win32.zip
scripts/pack-download.sh linux build/release/zarn dist/zarn-linux-x86_64.tar.gz

# The page as the web server gets it: its files, with the commit's time.
rm -rf dist/zarn-web
cp -r build/web/page dist/zarn-web
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
