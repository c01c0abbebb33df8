#!/usr/bin/env bash
# Installs what building, playing and testing need, skipping what is already there.
# Debian and Ubuntu only; elsewhere it names what to install and stops.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config libsdl2-dev libgtest-dev libbenchmark-dev libpixman-1-dev
  xvfb xdotool x11-apps x11-utils imagemagick openbox
  mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 libgl1-mesa-dri
  clang libclang-rt-14-dev
  emscripten libstb-dev node-terser zopfli chromium
  dpkg-dev file lintian unzip
)
if [ "${1:-}" = "--play" ]; then
  # The default build configures its tests and benchmarks too, so their libraries come along.
  packages=(cmake ninja-build g++ pkg-config libsdl2-dev libgtest-dev libbenchmark-dev)
elif [ "${1:-}" = "--play-web" ]; then
  # The browser game: emscripten (which brings node), stb_image, terser to shrink the page's
  # script, zopfli to pack the game, and python3 to serve the page.
  packages=(cmake ninja-build emscripten libstb-dev node-terser python3 zopfli)
fi

if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
  echo "This is not a Debian or Ubuntu system: install CMake (3.25 or newer), Ninja, a C++17" >&2
  echo "compiler and SDL2's development files with your package manager, then run again." >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
# Node and npm (the web build's tools and its browser test) may come from elsewhere than
# Debian, whose npm package would conflict with such a node: only what is absent is asked for.
if [ -z "${1:-}" ]; then
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
