#!/usr/bin/env bash
# Sanitizers: the `sanitize` preset (Debug, AddressSanitizer with LeakSanitizer, and
# UndefinedBehaviorSanitizer, every report fatal) builds everything, runs the whole ctest
# suite, then 100,000 soak frames with the figure drawn.
#
#   FENNWICK_SANITIZE_SOAK_FRAMES   soak frames (default 100000, in seeds of 10,000 frames)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/session.sh
source scripts/test.d/lib/session.sh
checks_begin

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
jobs=$(nproc)

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs" || session_abort "the sanitize preset does not build"
check "every ctest test passes under the sanitizers" -- ctest --preset sanitize -j "$jobs"

frames=${FENNWICK_SANITIZE_SOAK_FRAMES:-100000}
seeds=$(( (frames + 9999) / 10000 ))
per_seed=$(( frames / seeds ))
# Seeds of their own, so this run adds to what the long soak covers.
check "$seeds seeds of $per_seed soak frames under the sanitizers, every invariant held" -- \
  build/sanitize/tools/soak/fennwick-soak --seeds "$seeds" --frames "$per_seed" --first-seed 900001 \
  --jobs "$jobs" --assets assets --save build/sanitize
finish_session "Sanitizers"
