#!/usr/bin/env bash
# The page's load, measured: builds the web site (web preset), serves it as a simple static
# host does (python3's http.server, no compression) on 127.0.0.1, and runs bench/web_load.js in
# Debian's chromium, headless. Run by hand, not by the tests; the README's Performance section
# has the results.
#
#   bench/web_load.sh [RUNS]      (default 3: the median of each is shown)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/web_site.sh

runs=${1:-3}
build_web_site web_load.sh playwright-core
serve_folder web_load.sh "$site"
port=$served_port

echo "the site on disk: $(du -cb "$site"/* | tail -n 1 | cut -f 1 | awk '{ printf "%.1f KB", $1 / 1000 }') ($(cd "$site" && for f in *; do printf '%s %.1f KB, ' "$f" "$(($(stat -c %s "$f")))e-3"; done | sed 's/, $//'))"
node bench/web_load.js --url "http://127.0.0.1:$port/" --runs "$runs"
