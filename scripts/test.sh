#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and replay tests, then each
# further stage in scripts/test.d/ in name order (real windows, Windows build under Wine,
# sanitizers, fuzzing, soak). Stops at the first failure.
#
#   FENNWICK_STAGE_MINUTES   how long one stage may run before it is stopped and failed
#                            (default 20; the longest takes about 5 on a busy 2-core machine)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
ctest --preset default -j "$(nproc)"

minutes=${FENNWICK_STAGE_MINUTES:-20}
limit=$((minutes * 60))
for stage in scripts/test.d/*.sh; do
  [ -e "$stage" ] || continue
  echo "== ${stage##*/}"
  # A stage that hangs is stopped with everything it started (timeout signals its whole process
  # group; the stage's own clean-up then runs), and killed a minute later if it is still there.
  code=0 started=$SECONDS
  timeout --kill-after=60 "$limit" bash "$stage" || code=$?
  # 124 may also be a stage's own: only the clock tells.
  if { [ "$code" = 124 ] || [ "$code" = 137 ]; } && [ $((SECONDS - started)) -ge "$limit" ]; then
    echo "FAIL ${stage##*/} ran past its limit of $minutes minutes (FENNWICK_STAGE_MINUTES)" >&2
    exit 1
  fi
  [ "$code" = 0 ] || exit "$code"
done
echo "All tests passed."
