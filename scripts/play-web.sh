#!/usr/bin/env bash
# Installs what is missing, builds the game for the browser and serves it on this machine:
# open the address it prints. Ctrl+C stops the server.
#
#   scripts/play-web.sh [PORT]      (default 8080)
set -euo pipefail
cd "$(dirname "$0")/.."

port=${1:-8080}
if command -v apt-get >/dev/null 2>&1 && command -v dpkg-query >/dev/null 2>&1; then
  scripts/install-deps.sh --play-web
else
  missing=()
  command -v cmake >/dev/null 2>&1 || missing+=(cmake)
  command -v ninja >/dev/null 2>&1 || missing+=(ninja)
  command -v em++ >/dev/null 2>&1 || missing+=(emscripten)
  command -v python3 >/dev/null 2>&1 || missing+=(python3)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "play-web.sh: missing: ${missing[*]}. Install them, stb_image.h (give its folder" >&2
    echo "with -DFENNWICK_STB_DIR=... if it is not in /usr/include/stb) and node's terser (its" >&2
    echo "node_modules folder with -DFENNWICK_NODE_PATH=...), then run again." >&2
    exit 1
  fi
fi

cmake --preset web >/dev/null
cmake --build --preset web --target fennwick
site=build/web/site

echo
echo "Fennwick is at http://127.0.0.1:$port/ (serving $site; Ctrl+C stops it)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
