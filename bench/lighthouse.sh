#!/usr/bin/env bash
# Lighthouse's mobile audit of the page, as a slow phone gets it: builds the web site (web
# preset), serves it as a simple static host does (python3's http.server) on 127.0.0.1, and runs
# bench/lighthouse.js against Debian's chromium, headless, RUNS times. Run by hand, not by the
# tests; the README's Performance section has the results. Given another site's folder (a copy
# of build/web/site from before a change), it serves that too and audits the two in turn, so
# that both meet the same load on a shared machine.
#
#   bench/lighthouse.sh [RUNS] [SITE_BEFORE]     (default 3: each run and the medians are shown)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/web_site.sh

runs=${1:-3}
before=${2:-}
build_web_site lighthouse.sh lighthouse
serve_folder lighthouse.sh "$site"
port=$served_port
if [ -n "$before" ]; then
  [ -f "$before/index.html" ] || { echo "lighthouse.sh: $before holds no site" >&2; exit 2; }
  serve_folder lighthouse.sh "$before"
  node bench/lighthouse.js --url "http://127.0.0.1:$port/" --runs "$runs" --before "http://127.0.0.1:$served_port/"
else
  node bench/lighthouse.js --url "http://127.0.0.1:$port/" --runs "$runs"
fi
