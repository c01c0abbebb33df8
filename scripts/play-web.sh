#!/usr/bin/env bash
# Installs what is missing, builds the game for the browser and serves it on this machine:
# open the address it prints. Ctrl+C stops the server. Given a FOLDER (an unzipped web
# package, say), it serves that instead, built already.
#
#   scripts/play-web.sh [PORT [FOLDER]]      (default 8080, build/web/site)
set -euo pipefail
cd "$(dirname "$0")/.."

port=${1:-8080}
site=${2:-}
if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
  echo "play-web.sh: '$port' is not a port number (1 to 65535)" >&2
  exit 2
fi
if [ -n "$site" ] && [ ! -f "$site/index.html" ]; then
  echo "play-web.sh: there is no index.html in '$site' to serve" >&2
  exit 2
fi

if [ -n "$site" ]; then
  command -v python3 >/dev/null 2>&1 || { echo "play-web.sh: missing: python3, to serve the page." >&2; exit 1; }
else
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
  # The whole site: the game packed, the page and its scripts, the service worker.
  cmake --build --preset web --target fennwick-site
  site=build/web/site
fi

echo
echo "Fennwick is at http://127.0.0.1:$port/ (serving $site; Ctrl+C stops it)"
# Unbuffered, so the server's own lines show as they happen even when written to a file.
exec python3 -u -m http.server "$port" --bind 127.0.0.1 --directory "$site"
