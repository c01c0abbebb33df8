#!/usr/bin/env bash
# The long soak: at least 1,000,000 frames of the real game, headless, under seeded random
# input, with every invariant checked after every frame (tools/soak). Seeds are shared out
# between as many processes as there are cores.
#
#   FENNWICK_SOAK_FRAMES   frames in all (default 1000000, in seeds of 10,000 frames)
#   FENNWICK_SOAK_SEED     the first seed (default 1)
#
# A failing seed leaves build/soak/soak-failure-seed-N.txt, a script that fennwick-replay
# plays back: fennwick-replay --assets assets build/soak/soak-failure-seed-N.txt
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=lib/session.sh
source scripts/test.d/lib/session.sh
checks_begin

# scripts/test.sh has built the tool in build/default; run on its own, this stage builds one.
soak=build/default/tools/soak/fennwick-soak
if [ ! -x "$soak" ]; then
  cmake -S . -B build/soak -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNWICK_TESTS=OFF \
    -DFENNWICK_BENCH=OFF >/dev/null
  cmake --build build/soak -j 2 --target fennwick-soak || session_abort "the soak tool does not build"
  soak=build/soak/tools/soak/fennwick-soak
fi
[ -f assets/StickRun/Run0000.bmp ] || session_abort "the frame bitmaps are missing from assets/; the soak draws the figure"

frames=${FENNWICK_SOAK_FRAMES:-1000000}
seeds=$(( (frames + 9999) / 10000 ))
per_seed=$(( frames / seeds ))
mkdir -p build/soak
start=$(date +%s)
check "$seeds seeds of $per_seed soak frames, every invariant held after every frame" \
  "a failing seed's script is in build/soak/" -- \
  "$soak" --seeds "$seeds" --frames "$per_seed" --first-seed "${FENNWICK_SOAK_SEED:-1}" \
  --jobs "$(nproc)" --assets assets --save build/soak
echo "soak: $(( $(date +%s) - start )) s"
finish_session "Soak"
