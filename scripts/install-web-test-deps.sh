#!/usr/bin/env bash
# Installs the browser driver of the web page's test (puppeteer-core, from npm) at the version
# tests/web/package-lock.json names, outside the source tree so that no third-party code lands in it:
# into $ZARN_WEB_TEST_DRIVER, by default ${XDG_CACHE_HOME:-~/.cache}/zarn/web-test-driver (the test looks
# in the same place). Does nothing when that version is there.
set -euo pipefail
usage() { echo "usage: scripts/install-web-test-deps.sh (no arguments)"; }
case "$*" in
  "") ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac
cd "$(dirname "$0")/../tests/web"
driver=${ZARN_WEB_TEST_DRIVER:-${XDG_CACHE_HOME:-$HOME/.cache}/zarn/web-test-driver}
if [ -f "$driver/node_modules/puppeteer-core/package.json" ] && cmp -s package-lock.json "$driver/package-lock.json"; then
  exit 0
fi
if ! command -v npm >/dev/null; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends npm
fi
echo "Installing puppeteer-core into $driver"
mkdir -p "$driver"
cp package.json package-lock.json "$driver/"
(cd "$driver" && npm ci --no-audit --no-fund --loglevel=error)
