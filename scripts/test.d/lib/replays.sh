# shellcheck shell=bash
# Shared by the stages that hold another build's replay tool against the native one: the
# Windows build under Wine, the web build under Node. Source it from the repository's top
# folder, after lib/session.sh (its checks).

# Sets native_replay to the native fennwick-replay: scripts/test.sh has built it in
# build/default (FENNWICK_NATIVE_REPLAY may name another); run on its own, a stage builds one of
# its own in WORK/native.
find_native_replay() {
  local work=$1
  native_replay=${FENNWICK_NATIVE_REPLAY:-$PWD/build/default/tools/replay/fennwick-replay}
  if [ ! -x "$native_replay" ]; then
    cmake -S . -B "$work/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNWICK_TESTS=OFF \
      -DFENNWICK_BENCH=OFF >/dev/null
    cmake --build "$work/native" -j 2 --target fennwick-replay
    native_replay=$work/native/tools/replay/fennwick-replay
  fi
}

# Sets node_replay to the replay tool built for Node (fennwick-replay.js): the web build's, the
# one target built once into build/web when no stage has built it yet.
find_node_replay() {
  node_replay=$PWD/build/web/tools/replay/fennwick-replay.js
  [ -f build/web/build.ninja ] || cmake --preset web >/dev/null
  cmake --build --preset web -j 2 --target fennwick-replay >/dev/null
}

# Every script in tests/e2e/wine_replays through the native tool and through COMMAND (the other
# build's tool, with whatever runs it), their output compared byte for byte, hashes included.
#   compare_replays OUT NAME COMMAND...     (outputs kept in OUT as replay-SCRIPT.native/.NAME)
replay_limit=300
compare_replays() {
  local out=$1 other=$2
  shift 2
  local script name lines
  for script in tests/e2e/wine_replays/*.txt; do
    name=$(basename "$script" .txt)
    "$native_replay" --assets assets --hash - <"$script" >"$out/replay-$name.native"
    # A replay that hangs fails like one that differs.
    timeout "$replay_limit" "$@" --assets assets --hash - <"$script" >"$out/replay-$name.$other" 2>"$out/replay-$name.err" || true
    lines=$(wc -l <"$out/replay-$name.native")
    check "replay $name: $lines frames, byte-identical ($other)" \
      "it differs from the native build (see $out/replay-$name.*): $(diff "$out/replay-$name.native" "$out/replay-$name.$other" | head -n 5)" -- \
      '[ "$lines" -gt 0 ] && cmp -s "$out/replay-$name.native" "$out/replay-$name.$other"'
  done
}
