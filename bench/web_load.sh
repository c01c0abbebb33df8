#!/usr/bin/env bash
# The page's load, measured: builds the web site (web preset), serves it as a simple static
# host does (python3's http.server, no compression) on 127.0.0.1, and runs bench/web_load.js in
# Debian's chromium, headless. Run by hand, not by the tests; the README's Performance section
# has the results.
#
#   bench/web_load.sh [RUNS]      (default 3: the median of each is shown)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-3}
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
site=build/web/site
(cd tests/web && [ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --loglevel=error)

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
[ -n "$port" ] || { cat "$work/server.log" >&2; echo "web_load.sh: the server did not start" >&2; exit 1; }

echo "the site on disk: $(du -cb "$site"/* | tail -n 1 | cut -f 1 | awk '{ printf "%.1f KB", $1 / 1000 }') ($(cd "$site" && for f in *; do printf '%s %.1f KB, ' "$f" "$(($(stat -c %s "$f")))e-3"; done | sed 's/, $//'))"
node bench/web_load.js --url "http://127.0.0.1:$port/" --runs "$runs"
