#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and replay tests, then each
# further stage in scripts/test.d/ in name order (real windows, Windows build under Wine,
# sanitizers, fuzzing, soak). Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
ctest --preset default -j "$(nproc)"

for stage in scripts/test.d/*.sh; do
  [ -e "$stage" ] || continue
  echo "== ${stage##*/}"
  bash "$stage"
done
echo "All tests passed."
