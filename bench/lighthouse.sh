#!/usr/bin/env bash
# Lighthouse's mobile audit of the page, as a slow phone gets it: builds the web site (web
# preset), serves it as a simple static host does (python3's http.server) on 127.0.0.1, and runs
# bench/lighthouse.js against Debian's chromium, headless, RUNS times. Run by hand, not by the
# tests; the README's Performance section has the results.
#
#   bench/lighthouse.sh [RUNS]      (default 3: each run and the medians are shown)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-3}
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
site=build/web/site
(cd tests/web && [ -d node_modules/lighthouse ] || npm ci --no-audit --no-fund --loglevel=error)

work=$(mktemp -d)
server_pid=""
cleanup() { if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi; rm -rf "$work"; }
trap cleanup EXIT
# Port 0: the system picks a free one, and the server names it on its first line.
python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$site" >"$work/server.log" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/.* port \([0-9]*\).*/\1/p' "$work/server.log" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log" >&2; echo "lighthouse.sh: the server did not start" >&2; exit 1; }

node bench/lighthouse.js --url "http://127.0.0.1:$port/" --runs "$runs"
