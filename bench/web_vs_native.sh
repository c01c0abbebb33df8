#!/usr/bin/env bash
# A WebAssembly frame against a native frame: fennwick-replay over the same frames, built
# natively (default preset) and with emscripten for Node (web preset), timed in one run,
# interleaved. Run by hand, not by the tests; the README's Performance section has the results.
#
#   bench/web_vs_native.sh [FRAMES] [REPETITIONS]      (default 6000 frames, 7 repetitions)
#
# A run costs start-up (loading the pictures, and under Node compiling the WebAssembly) plus
# its frames; each side is also run for 1 frame, and the difference, divided by the frames
# between, is what a frame costs. Medians of the repetitions. Node compiles the WebAssembly
# with its optimising compiler from the start (--no-liftoff): otherwise the first frames run
# baseline code until the optimised code is ready, later the busier the machine is, and the
# count would measure the machine's load rather than a frame.
set -euo pipefail
cd "$(dirname "$0")/.."

frames=${1:-6000}
repetitions=${2:-7}

cmake --preset default >/dev/null
cmake --build --preset default --target fennwick-replay >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web --target fennwick-replay >/dev/null
native=build/default/tools/replay/fennwick-replay
web=build/web/tools/replay/fennwick-replay.js

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Two seconds of each: running right, standing, a held jump, running left, so the view scrolls
# and every state and picture takes its turn.
awk -v frames="$frames" '
  function at(frame, what) { if (frame < frames) printf "%d %s\n", frame, what }
  BEGIN {
    for (f = 1; f < frames; f += 480) {
      at(f, "down 39"); at(f + 120, "up 39")
      at(f + 240, "down 32"); at(f + 260, "up 32")
      at(f + 360, "down 37"); at(f + 470, "up 37")
    }
    printf "%d end\n", frames
  }' >"$work/bench.script"

# Wall-clock seconds of one run.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 ))" | awk '{ printf "%.6f\n", $1 / 1e6 }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for _ in $(seq "$repetitions"); do
  seconds "$native" --assets assets "$work/bench.script" >>"$work/native.long"
  seconds node --no-liftoff "$web" --assets assets "$work/bench.script" >>"$work/web.long"
  seconds "$native" --assets assets --frames 1 "$work/bench.script" >>"$work/native.short"
  seconds node --no-liftoff "$web" --assets assets --frames 1 "$work/bench.script" >>"$work/web.short"
done

native_frame=$(awk -v l="$(median <"$work/native.long")" -v s="$(median <"$work/native.short")" -v n="$frames" \
  'BEGIN { printf "%.1f", (l - s) / (n - 1) * 1e6 }')
web_frame=$(awk -v l="$(median <"$work/web.long")" -v s="$(median <"$work/web.short")" -v n="$frames" \
  'BEGIN { printf "%.1f", (l - s) / (n - 1) * 1e6 }')
echo "frames: $frames, repetitions: $repetitions, node $(node --version)"
echo "native frame:      $native_frame µs  (start-up $(median <"$work/native.short") s)"
echo "WebAssembly frame: $web_frame µs  (start-up under Node $(median <"$work/web.short") s)"
awk -v w="$web_frame" -v n="$native_frame" 'BEGIN { printf "WebAssembly / native: %.2f (target <= 1.15)\n", w / n }'
