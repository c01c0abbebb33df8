#!/usr/bin/env bash
# Watching a one-hour demo (bench/demo_seek.h, timed by bench/demo_seek_node.cpp): seeks and a
# step back beside replaying the same frames, natively (default preset) and as WebAssembly under
# Node (web preset), the same program and the same clock.
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
cmake --build --preset default --target fennwick-demo-seek >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web --target fennwick-demo-seek >/dev/null

echo "native ($(uname -m)):"
build/default/bench/fennwick-demo-seek --assets assets --repetitions "$repetitions"
echo "WebAssembly under Node $(node --version):"
node --no-liftoff build/web/bench/fennwick-demo-seek.js --assets assets --repetitions "$repetitions"
