#!/usr/bin/env bash
# The page's main-thread time while a run moves, against a bare canvas page: builds the web site
# (web preset), serves it as a simple static host does (python3's http.server) on 127.0.0.1, and
# runs bench/web_page.js in Debian's chromium, headless. Run by hand, not by the tests; the
# README's Performance section has the results.
#
#   bench/web_page.sh [ROUNDS] [SECONDS]      (default 8 rounds of 3 s)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/web_site.sh

build_web_site web_page.sh playwright-core
serve_folder web_page.sh "$site"
node bench/web_page.js --url "http://127.0.0.1:$served_port/" --rounds "${1:-8}" --seconds "${2:-3}"
