#!/usr/bin/env bash
# The demo viewer in an hour of busy play (bench/viewer_seek.cpp): seeks and a step back beside
# replaying every frame, natively (default preset) and as WebAssembly under Node (web preset).
# Run by hand, not by the tests; the README's Performance section has the results.
#
#   bench/viewer_vs_native.sh [REPETITIONS]      (default 9)
#
# Node compiles the WebAssembly with its optimising compiler from the start (--no-liftoff), as
# a browser's code is once a demo has been open a few seconds (see bench/web_vs_native.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=${1:-9}

cmake --preset default >/dev/null
cmake --build --preset default --target fennwick-viewer-bench >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web --target fennwick-viewer-bench >/dev/null

echo "native ($(uname -m)):"
build/default/bench/fennwick-viewer-bench --assets assets --repetitions "$repetitions"
echo "WebAssembly under Node $(node --version):"
node --no-liftoff build/web/bench/fennwick-viewer-bench.js --assets assets --repetitions "$repetitions"
