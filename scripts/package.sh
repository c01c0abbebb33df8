#!/usr/bin/env bash
# Makes the packages a player installs, in build/packages/:
#
#   fennwick_<version>_amd64.deb    Debian and Ubuntu: the game and fennwick-replay, the
#                                   pictures, desktop entry, icons, manual page; dependencies
#                                   worked out by dpkg-shlibdeps
#   fennwick-<version>-win64.zip    Windows, cross-built with mingw-w64: fennwick.exe and
#                                   fennwick-replay.exe with the picture folders beside them, how
#                                   to play, the licence
#   fennwick-<version>-web.zip      any static web host: the page, script, WebAssembly and packed
#                                   pictures (only where the build has a web preset)
#
# Each zip holds one folder named as the zip is, so that unpacking it scatters nothing.
#
#   scripts/package.sh [deb] [win64] [web]      (all three when none is named)
#
# Needs what scripts/install-deps.sh installs; the web package also needs emscripten.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/packages
version=$(sed -n 's/^project(Fennwick VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package.sh: no version in CMakeLists.txt's project()" >&2; exit 1; }

kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb win64 web)
mkdir -p "$out"

has_preset() { cmake --list-presets 2>/dev/null | grep -q "^ *\"$1\""; }

package_deb() {
  cmake --preset package >/dev/null
  cmake --build --preset package -j 2 --target fennwick fennwick-replay fennwick-compressed-docs
  rm -f "$out/fennwick_${version}_amd64.deb"
  # Run in the build folder, where CPack leaves its staging tree.
  (cd build/package && cpack -D CPACK_OUTPUT_FILE_PREFIX="$out" >/dev/null)
  echo "$out/fennwick_${version}_amd64.deb"
}

package_win64() {
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw -j 2 --target fennwick fennwick-replay
  rm -f "$out/fennwick-${version}-win64.zip"
  (cd build/mingw && cpack -D CPACK_OUTPUT_FILE_PREFIX="$out" >/dev/null)
  echo "$out/fennwick-${version}-win64.zip"
}

# The web build writes build/web/site, the whole site; the package is that folder zipped, with
# the licence added, as the folder fennwick-<version>-web.
package_web() {
  if ! has_preset web; then
    echo "package.sh: this tree has no web build (CMake preset 'web'): no web package" >&2
    return 0
  fi
  cmake --preset web >/dev/null
  cmake --build --preset web -j 2
  local page=build/web/site
  if [ ! -f "$page/index.html" ] || [ ! -f "$page/fennwick.js.gz" ]; then
    echo "package.sh: the web build left no page with its WebAssembly in $page" >&2
    return 1
  fi
  local staging=build/web-package name=fennwick-${version}-web
  rm -rf "$staging" "$out/$name.zip"
  mkdir -p "$staging/$name"
  cp -R "$page"/. "$staging/$name"/
  cp LICENSE "$staging/$name/LICENSE.txt"
  (cd "$staging" && cmake -E tar cf "$out/$name.zip" --format=zip -- "$name")
  echo "$out/fennwick-${version}-web.zip"
}

for kind in "${kinds[@]}"; do
  case $kind in
    deb | win64 | web) "package_$kind" ;;
    *) echo "package.sh: unknown package '$kind' (deb, win64 or web)" >&2; exit 2 ;;
  esac
done
