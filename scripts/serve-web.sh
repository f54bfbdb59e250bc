#!/usr/bin/env bash
# Serves the web page of the intro on this machine for trying it: scripts/serve-web.sh [FOLDER] [PORT]
# (by default dist/zarn-web/ on port 8080; then open http://127.0.0.1:8080/).
set -euo pipefail
cd "$(dirname "$0")/.."
exec node scripts/web-server.mjs "${1:-dist/zarn-web}" "${2:-8080}"
