#!/usr/bin/env bash
# Serves the web page of the intro on this machine for trying it: scripts/serve-web.sh [FOLDER] [PORT]
# (by default dist/zarn-web/ on port 8080; then open http://127.0.0.1:8080/).
set -euo pipefail
usage() { echo "usage: scripts/serve-web.sh [FOLDER] [PORT]"; }
case "${1:-}" in -h | --help) usage; exit 0 ;; esac
[ $# -le 2 ] || { usage >&2; exit 2; }
cd "$(dirname "$0")/.."
exec node scripts/web-server.mjs "${1:-dist/zarn-web}" "${2:-8080}"
