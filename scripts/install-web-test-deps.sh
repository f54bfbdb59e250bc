#!/usr/bin/env bash
# Installs the browser driver of the web page's test (puppeteer-core, from npm) into tests/web/node_modules/,
# at the version its package-lock.json names; does nothing when it is there.
set -euo pipefail
cd "$(dirname "$0")/../tests/web"
[ -f node_modules/puppeteer-core/package.json ] && [ node_modules/.package-lock.json -nt package-lock.json ] && exit 0
if ! command -v npm >/dev/null; then
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends npm
fi
echo "Installing puppeteer-core into tests/web/node_modules"
npm ci --no-audit --no-fund --loglevel=error
