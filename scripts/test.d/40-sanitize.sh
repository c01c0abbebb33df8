#!/usr/bin/env bash
# Sanitizers: the `sanitize` preset (Debug, AddressSanitizer with LeakSanitizer, and
# UndefinedBehaviorSanitizer, every report fatal) builds everything, runs the whole ctest
# suite, then 100,000 soak frames with the figure drawn.
#
#   FENNWICK_SANITIZE_SOAK_FRAMES   soak frames (default 100000, in seeds of 10,000 frames)
set -euo pipefail
cd "$(dirname "$0")/../.."

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
jobs=$(nproc)

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

frames=${FENNWICK_SANITIZE_SOAK_FRAMES:-100000}
seeds=$(( (frames + 9999) / 10000 ))
per_seed=$(( frames / seeds ))
echo "Soak under the sanitizers: $seeds seeds of $per_seed frames"
# Seeds of their own, so this run adds to what the long soak covers.
build/sanitize/tools/soak/fennwick-soak --seeds "$seeds" --frames "$per_seed" --first-seed 900001 \
  --jobs "$jobs" --assets assets --save build/sanitize
