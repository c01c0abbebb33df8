#!/usr/bin/env bash
# Fuzzing: the game's bitmap decoder, built with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, runs for a minute on inputs grown from the hostile corpus
# (tests/corpus/bmp); then the recording parser, each script it accepts opened as a demo of any
# length, sought, stepped back, taken over and rewound, and what that recorded replayed against
# its checkpoints (fuzz/recording), for as long, on inputs grown from real recordings
# (tests/corpus/recordings), each input within ten seconds. A crash, a leak, an allocation over 80 MB or a memory use over 256 MB
# fails the stage; the input is kept in build/fuzz/findings/.
#
#   FENNWICK_FUZZ_SECONDS   how long to fuzz (default 60)
#
# A finding is reproduced with `build/fuzz/fuzz_bmp FILE`; it then belongs in the corpus
# (tools/soak/make_bmp_corpus.py) with its fix.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/session.sh
source scripts/test.d/lib/session.sh
checks_begin

build=build/fuzz
seconds=${FENNWICK_FUZZ_SECONDS:-60}

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 || session_abort "the fuzzer does not build"

# New inputs go to a scratch folder; the checked-in corpus is only read.
rm -rf "$build/corpus" "$build/findings"
mkdir -p "$build/corpus" "$build/findings"
status=0
# A smaller quarantine than AddressSanitizer's 256 MB default, so that memory freed long ago
# does not count against the 256 MB limit; use after free is still caught.
ASAN_OPTIONS="quarantine_size_mb=64:detect_leaks=1" \
"$build/fuzz_bmp" -max_total_time="$seconds" -rss_limit_mb=256 -malloc_limit_mb=80 \
  -print_final_stats=1 -artifact_prefix="$build/findings/" \
  "$build/corpus" tests/corpus/bmp >"$build/fuzz.log" 2>&1 || status=$?

grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb)' "$build/fuzz.log" || true
[ "$status" = 0 ] || tail -n 60 "$build/fuzz.log" >&2
check "the bitmap decoder fuzzed for $seconds s without a finding" \
  "the fuzzer found a problem (exit $status); inputs in $build/findings/: $(ls "$build/findings")" -- [ "$status" = 0 ]

# The recordings: the whole game instrumented, so built by the game's own project; only the
# fuzzer's target.
game_build=$root/build/fuzz-game
cmake -S . -B "$game_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFENNWICK_FUZZ=ON -DFENNWICK_TESTS=OFF -DFENNWICK_BENCH=OFF >/dev/null
cmake --build "$game_build" -j 2 --target fuzz_recording || session_abort "the recording fuzzer does not build"
rm -rf "$game_build/corpus" "$game_build/findings"
mkdir -p "$game_build/corpus" "$game_build/findings"
status=0
# From the pictures' folder, where the game finds them.
(cd assets && ASAN_OPTIONS="quarantine_size_mb=64:detect_leaks=1" \
  "$game_build/fuzz/recording/fuzz_recording" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=256 -malloc_limit_mb=80 \
  -print_final_stats=1 -artifact_prefix="$game_build/findings/" \
  "$game_build/corpus" "$root/tests/corpus/recordings") >"$game_build/fuzz.log" 2>&1 || status=$?
grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb)' "$game_build/fuzz.log" || true
[ "$status" = 0 ] || tail -n 60 "$game_build/fuzz.log" >&2
check "the recording parser, the demo viewer, take-overs and rewinds fuzzed for $seconds s without a finding" \
  "the fuzzer found a problem (exit $status); inputs in $game_build/findings/: $(ls "$game_build/findings")" -- [ "$status" = 0 ]
finish_session "Fuzzing"
