#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it in the assets folder, where it finds
# its pictures, with the arguments given here: scripts/play.sh --play run.txt. Debian and Ubuntu get their packages with apt-get; elsewhere this names what to
# install.
set -euo pipefail
# The files the arguments name are the caller's: --play and --record take them from where the
# script was started, not from assets/, where the game runs.
args=()
before=
for arg in "$@"; do
  case $before in
    --play | --record) [[ $arg == /* ]] || arg=$PWD/$arg ;;
  esac
  args+=("$arg")
  before=$arg
done
cd "$(dirname "$0")/.."

system=$(uname -s)

# Nothing can be shown without a screen: say so before spending minutes on a build.
if [ "$system" = Linux ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "play.sh: there is no display to open the game's window on (neither DISPLAY nor" >&2
  echo "WAYLAND_DISPLAY is set). Run it from a desktop session, or over ssh -X." >&2
  exit 1
fi

configure=(cmake --preset default)
if command -v apt-get >/dev/null 2>&1 && command -v dpkg-query >/dev/null 2>&1; then
  scripts/install-deps.sh --play
else
  missing=()
  command -v cmake >/dev/null 2>&1 || missing+=(cmake)
  command -v ninja >/dev/null 2>&1 || missing+=(ninja)
  command -v c++ >/dev/null 2>&1 || missing+=("a C++17 compiler")
  command -v sdl2-config >/dev/null 2>&1 || pkg-config --exists sdl2 2>/dev/null || missing+=(SDL2)
  if [ ${#missing[@]} -gt 0 ]; then
    echo "play.sh: missing: ${missing[*]}." >&2
    if [ "$system" = Darwin ]; then
      echo "Install them with Homebrew (xcode-select --install gives the compiler):" >&2
      echo "  brew install sdl2 cmake ninja" >&2
    else
      echo "Install CMake 3.25 or newer, Ninja, a C++17 compiler and SDL2's development files" >&2
      echo "with your package manager." >&2
    fi
    exit 1
  fi
  # The tests and benchmarks need libraries that playing does not.
  configure+=(-DFENNWICK_TESTS=OFF -DFENNWICK_BENCH=OFF)
fi

"${configure[@]}"
cmake --build --preset default --target fennwick
cd assets
exec ../build/default/src/fennwick "${args[@]}"
